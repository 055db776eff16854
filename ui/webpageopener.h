#pragma once

#include <QString>
#include <QUrl>

/**
 * Opens a camera's web page, http://<address>/, in the desktop's browser. Only a plain
 * dotted-quad address that the tool may contact is opened. Tests install their own opener
 * in code and see the URL that would go to the desktop.
 */
class WebPageOpener
{
public:
    using Opener = bool (*)(const QUrl &url);

    /// True when @p strAddress may be opened.
    static bool canOpen(const QString &strAddress);
    /// Opens the page of @p strAddress; false when it may not be opened or the desktop failed.
    static bool open(const QString &strAddress);
    /// Installs the opener; nullptr puts the desktop's back.
    static void setOpener(Opener pOpener);

    WebPageOpener() = delete;
};
