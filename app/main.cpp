// The program entry: language, application, the six windows, the event loop.
#include "app/main/main_window.h"
#include "app/main/main_window_icons.h"
#include "app/main/start_up.h"
#include "device/library_search.h"
#include "fileio/safe_file.h"
#include "platform/first_paint_probe.h"
#include "platform/font_configuration.h"
#include "platform/startup_memory.h"
#include "platform/window_text.h"
#include "text/language_choice.h"

#include <QApplication>
#include <QDir>
#include <QHelpEvent>
#include <QMessageBox>
#include <QToolTip>
#include <QTranslator>

#include <cstdio>
#include <exception>
#include <optional>
#include <stdexcept>
#include <string>

namespace {

// Hints stay visible for 5000 ms, whatever their length.
class HintDuration : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::ToolTip && watched->isWidgetType()) {
            auto* w = static_cast<QWidget*>(watched);
            const QString hint = w->toolTip();
            if (hint.isEmpty())
                return false;
            auto* help = static_cast<QHelpEvent*>(event);
            QToolTip::showText(help->globalPos(), hint, w, QRect(), 5000);
            return true;
        }
        return false;
    }
};

// The language module: a Qt translation installed beside the program under
// the program's name with the language's extension. None found: English.
void LoadLanguageModule(QApplication& app, unsigned localeId, QTranslator& translator) {
    const std::string exe = QCoreApplication::applicationFilePath().toStdString();
    for (const std::string& candidate : ResourceModuleCandidates(exe, localeId)) {
        // A pipe or a huge file in the module's place must not stall the start.
        if (safefile::CheckRegularFile(candidate, 16u << 20) != safefile::ReadStatus::Ok)
            continue;
        if (translator.load(QString::fromStdString(candidate))) {
            app.installTranslator(&translator);
            return;
        }
    }
}

// The application's standard exception display: an exception that escapes
// an event handler is shown and the program goes on.
class Application : public QApplication {
public:
    using QApplication::QApplication;

    bool notify(QObject* receiver, QEvent* event) override {
        try {
            return QApplication::notify(receiver, event);
        } catch (const std::exception& e) {
            ShowException(QString::fromLocal8Bit(e.what()));
        } catch (...) {
            ShowException(tr("Unknown exception."));
        }
        return false;
    }

    static void ShowException(const QString& text) {
        QMessageBox box(QMessageBox::Critical, QApplication::applicationDisplayName(), text,
                        QMessageBox::Ok);
        box.setTextFormat(Qt::PlainText);
        box.exec();
    }
};

int Run(int argc, char** argv) {
    // Before anything can load the tester's library.
    KeepCurrentFolderOutOfLibrarySearch();
    // Beside the steps up to the main window, which needs it first.
    FontConfigurationRead fonts;
    // 1. The file test comes first; the module needs the application.
    const LanguageChoice language = ChooseLanguage(QDir::currentPath().toStdString());
    CurrentDateFormats() = language.Formats;

    // Made once the fonts are read; lives as long as anything that waits
    // for it.
    std::optional<StartupMemory> memory;
    Application app(argc, argv);
    try {
        QTranslator translator;
        LoadLanguageModule(app, language.LocaleId, translator);

        // 2.
        HintDuration hints;
        app.installEventFilter(&hints);

        // 3. The title as application name only: a display name would be
        // appended to every window title on X11.
        QApplication::setApplicationName(QStringLiteral("KALDORIAN   VRX-310"));
        // The desktop entry the windows belong to, and the program's icon.
        QGuiApplication::setDesktopFileName(QStringLiteral("vrx310"));
        QApplication::setWindowIcon(ProgramIcon());

        fonts.Wait();
        // The second processor is free again now. The main window takes
        // about 1.5 MB of new heap; where the platform paints it into an
        // image of its own rather than memory shared with a display server,
        // that image takes 2.5 MB more at the window's usual size.
        memory.emplace(4u << 20);
        // 4.-6. The dialogs are made once the main window has been painted:
        // none of them is part of the first view. A report named on the
        // command line opens after them, as if Open File had been the
        // user's first choice.
        FirstPaintProbe* probe = StartWindows([&memory, arguments = ArgumentsToCore(argc, argv)] {
            memory->Wait();
            FormMain->OpenReportArgument(arguments);
        });
        // For the start-up benchmark only.
        if (qEnvironmentVariableIsSet("VRX310_STARTUP_PROBE"))
            probe->ReportAndQuitWhenPainted();
        // 7.
        app.exec();
        DestroyWindows();
        return 0;
    } catch (const std::exception& e) {
        Application::ShowException(QString::fromLocal8Bit(e.what()));
    } catch (...) {
        Application::ShowException(Application::tr("Unknown exception."));
    }
    DestroyWindows();
    throw std::runtime_error("Something is wrong!");
}

} // namespace

int main(int argc, char** argv) {
    try {
        return Run(argc, argv);
    } catch (const std::exception& e) {
        // Before the application exists nothing could show it.
        if (std::string(e.what()) != "Something is wrong!")
            std::fprintf(stderr, "%s\n", e.what());
    } catch (...) {
    }
    // There is no console otherwise; this ends the program.
    std::fputs("Something is wrong!\n", stderr);
    return 1;
}
