#pragma once

#include <QByteArray>
#include <QtGlobal>

// A gzip body that inflates to a huge run of spaces while staying small on the wire: one
// deflate block whose codes give a 258-byte copy two bits, about 1:1000.
class GzipBomb
{
public:
    // The gzip bytes of at least nInflatedMb MiB of spaces (1 + a multiple of 258 bytes),
    // with a correct CRC and size trailer. Built at the first call, which takes a while
    // for a large size (the CRC runs over every inflated byte), and kept: a run of the
    // simulator serves one size, so later calls return the first body whatever they ask.
    static const QByteArray &body(int nInflatedMb);

private:
    static QByteArray build(qint64 nInflatedBytes);
};
