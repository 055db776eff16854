#pragma once

#include <QString>
#include <QUrl>

/**
 * Hands URLs to the desktop: a camera's web page, http://<address>/, in the browser (only a
 * plain dotted-quad address that the tool may contact is opened), and a local folder in the
 * file manager. Tests install their own opener in code and see the URL that would go to the
 * desktop.
 */
class DesktopOpener
{
public:
    using Opener = bool (*)(const QUrl &url);

    /// True when @p strAddress may be opened.
    static bool canOpen(const QString &strAddress);
    /// Opens the page of @p strAddress; false when it may not be opened or the desktop failed.
    static bool open(const QString &strAddress);
    /// Opens the folder @p strPath; false when the desktop failed.
    static bool openFolder(const QString &strPath);
    /// Installs the opener; nullptr puts the desktop's back.
    static void setOpener(Opener pOpener);

    DesktopOpener() = delete;
};
