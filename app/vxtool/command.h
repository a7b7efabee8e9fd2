#pragma once

// The vxtool command table. Each command lives in its own file and adds
// itself with a static CommandRegistration.
//
// Exit status: 0 success, 1 an error (the system's message on stderr),
// 2 wrong usage.

#include <QStringList>
#include <QTextStream>

#include <functional>
#include <map>

namespace vx::tool {

inline constexpr int kExitOk = 0;
inline constexpr int kExitError = 1;
inline constexpr int kExitUsage = 2;

struct Command {
    QString usage; // one line, shown by `vxtool` without arguments
    std::function<int(const QStringList& args, QTextStream& out, QTextStream& err)> run;
};

std::map<QString, Command>& commandTable();

struct CommandRegistration {
    CommandRegistration(const QString& name, Command command) {
        commandTable()[name] = std::move(command);
    }
};

// Small helpers for option parsing: the value after `name`, removed from args.
bool takeOption(QStringList& args, const QString& name, QString* value);
bool takeFlag(QStringList& args, const QString& name);

} // namespace vx::tool
