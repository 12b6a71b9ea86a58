#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QTimer>
#include <functional>
#include <memory>

#include "app/command_line.h"
#include "app/commands.h"
#include "app/font_preload.h"
#include "app/program_files.h"
#include "app/termination.h"
#include "platform/instance_channel.h"
#include "scanner/cs1504_library.h"
#include "system/serial_transport.h"
#include "ui/message_box.h"
#include "windows/application.h"
#include "windows/main_form.h"

namespace {
// Qt warns when the session has no runtime folder (root on a console, a cron job, ssh),
// although Lorvant needs none: its channel then has a folder of its own (instance_channel.h).
// A command's message, or the start of the program, should not come with that warning.
QtMessageHandler qtMessages = nullptr;
void withoutRuntimeFolderWarning(QtMsgType type, const QMessageLogContext& context,
                                 const QString& message) {
    if (message.startsWith("QStandardPaths: XDG_RUNTIME_DIR not set")) return;
    qtMessages(type, context, message);
}

// The dialogs are not needed to show the main window; they come right after it, once the
// event loop has handed the window to the window system (which it does when it is about to
// wait), so that making them does not hold the window back. `then` runs after them.
void createDialogsOnceShown(std::function<void()> then) {
    auto once = std::make_shared<QMetaObject::Connection>();
    auto create = [then = std::move(then)] {
        if (createDialogs()) then();
    };
    *once = QObject::connect(QAbstractEventDispatcher::instance(),
                             &QAbstractEventDispatcher::aboutToBlock, [once, create] {
                                 QObject::disconnect(*once);
                                 QTimer::singleShot(0, create);
                             });
    // Should the loop never wait, they come all the same.
    QTimer::singleShot(250, create);
}
}  // namespace

int main(int argc, char** argv) {
    qtMessages = qInstallMessageHandler(withoutRuntimeFolderWarning);
    const CommandLine command = parseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    switch (command.action) {
        case CommandLineAction::Help:
            return printHelp();
        case CommandLineAction::Version:
            return printVersion();
        case CommandLineAction::Invalid:
            return reportInvalidArgument(command.offending);
        case CommandLineAction::Send:
        case CommandLineAction::Erase: {
            // No window, no display: the command only talks to the running program.
            QCoreApplication core(argc, argv);
            return runWedgeCommand(command.action == CommandLineAction::Send
                                       ? ChannelRequest::Send
                                       : ChannelRequest::Erase);
        }
        case CommandLineAction::Start:
            break;
    }

    const FontConfigurationPreload fonts;
    LorvantApplication app(argc, argv);
    // Qt has taken its own options out of argv by now.
    const CommandLine leftover = leftoverArguments(std::vector<std::string>(argv + 1, argv + argc));
    if (leftover.action == CommandLineAction::Invalid)
        return reportInvalidArgument(leftover.offending);
    // One copy per user: a second would fight the first over hotkeys, port and files.
    InstanceChannel channel;
    const InstanceChannel::Claim claim = channel.claim();
    if (claim == InstanceChannel::Claim::Elsewhere || claim == InstanceChannel::Claim::Busy)
        return reportRunningCopy(claim, channel.problem());
    if (claim == InstanceChannel::Claim::Unavailable) reportChannelUnavailable(channel.problem());

    quitOnTerminationSignals(app);
    setUpProgramFiles(QApplication::applicationDirPath());
    // The scanner library for the whole run: CS1504 units on the serial ports.
    Cs1504Library scanner(serialPortOpener());
    setScannerLibrary(&scanner);
    try {
        createStartWindows();
        MainForm->show();
        // Requests are taken once the windows that handle them are there; a command that
        // comes before waits for that (deliverRequest).
        createDialogsOnceShown([&channel, claim] {
            if (claim == InstanceChannel::Claim::Running &&
                !channel.listen(
                    [](ChannelRequest request) { handleChannelRequest(request, MainForm); }))
                reportChannelUnavailable(channel.problem());
        });
        if (!terminationRequested()) app.exec();
        destroyApplicationWindows();
    } catch (const std::exception& error) {
        showErrorMessage(QString::fromLocal8Bit(error.what()));
    }
    setScannerLibrary(nullptr);
    return 0;
}
