// vesquil: checks the frames of ".264"/".265" files named by a JSON command line, in a window.
//   vesquil '{"APPNAME":"demo","VIDEOPATH":"/path/to/dir"}'
#include <string>

#include <QApplication>

#include "vesquil_app.h"

namespace {

// The caller passes the JSON text as the command line; a shell may have split it into words.
std::string commandLineText(int argc, char** argv) {
    std::string text;
    for (int index = 1; index < argc; ++index) {
        if (index > 1) text += ' ';
        text += argv[index];
    }
    return text;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string commandLine = commandLineText(argc, argv);
    if (!vesquil::parseCommandLine(commandLine)) return vesquil::CVesquilApp::kExitBadCommandLine;  // no window, no display needed
    // Qt sees only the program name: the JSON text is not a Qt option.
    int qtArgumentCount = 1;
    QApplication application(qtArgumentCount, argv);
    vesquil::CVesquilApp app;
    return app.InitInstance(commandLine);
}
