#pragma once

#include <QHash>
#include <QString>

/**
 * One line of the camera simulator's log: "TAG key=value key=value ...". Values hold no
 * spaces (the simulator escapes them), so the fields split on blanks and on the first '='.
 */
struct LabLine_S
{
    int nIndex = -1;              // position in the log, from 0
    QString strTag;               // "CAMERA", "REQ", "REPLY", "SEARCH-REPLY", ...
    QHash<QString, QString> hashField;
    QString strText;              // the whole line, for failure messages
};
