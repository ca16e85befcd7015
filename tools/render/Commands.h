#pragma once
// The subcommands of deckmend-render. Each takes the arguments after its name
// and returns the process exit status.

#include <QStringList>

int RunEffectCommand(const QStringList& args);
int RunMarkupCommand(const QStringList& args);
