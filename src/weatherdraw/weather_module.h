#pragma once
// The contract between vorfjp-send and its weather drawing module.
//
// Drawing the weather text is the only work of vorfjp-send that needs the GUI module (a
// QGuiApplication, fonts, painting). It lives in a module of its own, loaded only by a run that
// sends the weather, so that every other run starts without libQt6Gui and the libraries behind it.
// Both sides are built together from this tree, so the entry hands over C++ types.
#include "protocol/dot_matrix.h"

#include <QString>

#include <optional>

class QCoreApplication;

namespace weatherdraw {

// The module's file name without its suffix; QLibrary adds ".so".
inline constexpr auto kModuleName = u"vorfjp-send-weather";
// The one symbol the module exports, of type ModuleEntry.
inline constexpr auto kEntrySymbol = "vorfjp_send_weather_module";
// Raised whenever Module changes, so that a module left over from another build is refused.
inline constexpr int kModuleVersion = 1;

struct Module {
    int version;
    // The application of a weather run: a QGuiApplication on the offscreen platform, so that no
    // display is needed and one that is there is not used.
    QCoreApplication* (*makeApplication)(int& argc, char** argv);
    // The text's dots, drawn exactly as the window draws them; empty when no fitting font is
    // installed. Needs the application made above.
    std::optional<protocol::DotMatrix> (*draw)(const QString& text);
};

using ModuleEntry = const Module* (*)();

} // namespace weatherdraw
