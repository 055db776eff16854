#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>

// The HTTP statuses the simulator answers with.
namespace HttpStatus {
constexpr int kOk = 200;
constexpr int kFound = 302;
constexpr int kBadRequest = 400;
constexpr int kNotFound = 404;
constexpr int kPayloadTooLarge = 413;
constexpr int kHeadTooLarge = 431;
constexpr int kNotImplemented = 501;
} // namespace HttpStatus

// One HTTP answer: status line, extra headers and the body (Content-Length is added).
struct HttpReply_S
{
    int nStatus = HttpStatus::kOk;
    QByteArray baReason = "OK";
    QList<QPair<QByteArray, QByteArray>> listHeaders;
    QByteArray baBody;
};
