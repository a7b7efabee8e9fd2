// vxtool: headless access to the library (inspect, search, render, evaluate).
#include "addins/register_addins.h"
#include "app/vxtool/command.h"
#include "platform/errors.h"
#include "platform/font_warm_up.h"

#include <QGuiApplication>

#include <new>

namespace vx::tool {

std::map<QString, Command>& commandTable() {
    static std::map<QString, Command> table;
    return table;
}

bool takeOption(QStringList& args, const QString& name, QString* value) {
    const qsizetype i = args.indexOf(name);
    if (i < 0 || i + 1 >= args.size())
        return false;
    *value = args.at(i + 1);
    args.remove(i, 2);
    return true;
}

bool takeFlag(QStringList& args, const QString& name) {
    return args.removeAll(name) > 0;
}

} // namespace vx::tool

namespace {

int usage(QTextStream& err) {
    err << "uso: vxtool COMANDO [argomenti]\n";
    for (const auto& [name, command] : vx::tool::commandTable())
        err << "  vxtool " << command.usage << "\n";
    return vx::tool::kExitUsage;
}

} // namespace

int main(int argc, char** argv) {
    // With TZ unset the C library re-reads the zone file on every local-time
    // conversion, which dominates walking date fields of large tables.
    if (qEnvironmentVariableIsEmpty("TZ"))
        qputenv("TZ", ":/etc/localtime");
    // Headless by default: vxtool never needs a display nor a window. The
    // minimal platform with fonts measures and draws exactly as "offscreen"
    // (same font database, 96 dpi) but starts without the windowing and
    // OpenGL libraries "offscreen" loads.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "minimal:enable_fonts");
    // No event loop runs here: Qt's plain Unix event dispatcher starts
    // quicker than the GLib one it chooses by default.
    if (qEnvironmentVariableIsEmpty("QT_NO_GLIB"))
        qputenv("QT_NO_GLIB", "1");
    // Commands that draw text ask fontconfig early; its set-up overlaps
    // the start of Qt and the reading of the input.
    const vx::FontConfigWarmUp fonts;
    QGuiApplication app(argc, argv);
    vx::RegisterAddIns(); // templates with add-in objects load
    QTextStream out(stdout);
    QTextStream err(stderr);
    QStringList args = app.arguments().mid(1);
    if (args.isEmpty())
        return usage(err);
    const QString name = args.takeFirst();
    const auto it = vx::tool::commandTable().find(name);
    if (it == vx::tool::commandTable().end())
        return usage(err);
    try {
        return it->second.run(args, out, err);
    } catch (const vx::VxError& e) {
        out.flush();
        err << e.message() << "\n";
        return vx::tool::kExitError;
    } catch (const vx::VxAbort&) {
        return vx::tool::kExitError;
    } catch (const std::bad_alloc&) {
        // A command that runs out of memory ends with a message, not a crash.
        out.flush();
        err << "Memoria insufficiente per completare l'operazione.\n";
        return vx::tool::kExitError;
    }
}
