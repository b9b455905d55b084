#include <QApplication>
#include <QDir>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include "app/Appearance.h"
#include "app/DialogFileChooser.h"
#include "app/MessageBoxPrompter.h"
#include "app/SplashWindow.h"
#include "app/TFrmTdw.h"
#include "app/core/DataFolders.h"
#include "app/core/Delay.h"
#include "app/core/IniFile.h"
#include "app/core/SideFile.h"
#include "app/core/SingleInstance.h"
#include "app/core/StartupArguments.h"
#include "app/core/TerminationSignals.h"
#include "reader/HtmlView.h"

using namespace Qt::StringLiterals;

namespace {

void installJapaneseQtTexts(QApplication& app)
{
    // Qt's own buttons ("はい", "いいえ", "キャンセル") in the language of the program.
    auto* translator = new QTranslator(&app);
    if (translator->load(
            QLocale(QLocale::Japanese), u"qtbase"_s, u"_"_s, QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QApplication::installTranslator(translator);
    }
}

void chooseIconTheme()
{
    if (QIcon::themeName().isEmpty() || QIcon::themeName() == u"hicolor"_s) {
        if (QDir(u"/usr/share/icons/Adwaita"_s).exists()) {
            QIcon::setThemeName(u"Adwaita"_s);
        }
    }
}

// Shows the window a second start asked for; true when one of the titles is ours.
bool showWindowTitled(TFrmTdw& window, const QStringList& titles)
{
    if (!titles.contains(window.windowTitle())) {
        return false;
    }
    if (window.isMinimized()) {
        window.showNormal();
    } else {
        window.raise();
        window.activateWindow();
    }
    return true;
}

} // namespace

int main(int argc, char* argv[])
{
    // The HTML view serves a message's own parts under "cid:"; the scheme must exist before the application.
    HtmlView::registerUrlSchemes();
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    QApplication::setApplicationName(u"Tidewell"_s);
    QApplication::setApplicationVersion(QStringLiteral(TIDEWELL_VERSION));
    QApplication::setApplicationDisplayName(TFrmTdw::baseTitle());
    installJapaneseQtTexts(app);
    chooseIconTheme();
    QIcon icon(u":/icons/tidewell-256.png"_s);
    icon.addFile(u":/icons/tidewell-48.png"_s);
    QApplication::setWindowIcon(icon);

    const DataFolders folders(QCoreApplication::applicationFilePath());
    MessageBoxPrompter prompter;
    DialogFileChooser files;

    // One copy per user: a second start shows the first copy's window and ends.
    SingleInstance instance(folders.programFileName());
    QStringList titles = {TFrmTdw::baseTitle()};
    bool titleRead = false;
    const QString storedTitle = SideFile::readText(folders.sideFile(u"$FormTitle.txt"_s), &titleRead).trimmed();
    if (titleRead && !storedTitle.isEmpty()) {
        titles.append(storedTitle);
    }
    switch (instance.start(titles)) {
    case SingleInstance::Outcome::OtherFound:
    case SingleInstance::Outcome::OtherNoWindow:
        return 0;
    case SingleInstance::Outcome::Failed:
        prompter.error(QCoreApplication::translate("main", "プログラムを起動できません。"));
        return 1;
    case SingleInstance::Outcome::First:
        break;
    }

    const StartupArguments arguments = StartupArguments::parse(QCoreApplication::arguments().mid(1));

    // A termination request (log-out, shutdown) closes the window the normal way, so settings are saved.
    TerminationSignals termination;
    TFrmTdw* mainWindow = nullptr;
    bool terminateEarly = false;
    QObject::connect(&termination, &TerminationSignals::terminationRequested, &app, [&] {
        terminateEarly = true;
        if (mainWindow && mainWindow->isVisible()) {
            mainWindow->close();
        }
    });

    // The splash applies the stored theme, so the look is right before the main window is built.
    Appearance::apply(IniFile(folders.iniFilePath()).readInteger(u"Condition", u"Theme", 0));
    auto splash = std::make_unique<SplashWindow>(folders.programFolder() + u"/Tidewell.jpg"_s);
    splash->show();
    splash->repaint();
    QApplication::processEvents();

    TFrmTdw window(folders, prompter, files, arguments);
    mainWindow = &window;
    prompter.setParent(&window);
    files.setParent(&window);
    // The data module comes right after the main window: it opens the archive and names it in the title.
    window.createDataModule();
    instance.setActivator([&window](const QStringList& asked) { return showWindowTitled(window, asked); });

    Delay::wait(1000);
    splash.reset();

    if (arguments.help) {
        return 0;
    }
    if (terminateEarly) {
        window.close();
        return 0;
    }
    window.show();
    return QApplication::exec();
}
