#pragma once

#include <QString>

/// The look of the window's own text fields: the table's filter and the batch dialog's
/// start address, mask and gateway.
inline const QString kTextFieldSheet = QStringLiteral("QLineEdit{border:1px solid #B8C4D1;border-radius:4px;"
                                                      "font:14px @family;color:#333333;padding:0px 6px;}");
