#pragma once

#include <QList>
#include <QStringList>

#include "site/plancheck.h"

/// The plan as the terminal shows it, a line per camera in the file's order: what it gets,
/// that it is there already, or why it is not written.
QStringList planText(const QList<PlanCheck::Line_S> &listLines);
