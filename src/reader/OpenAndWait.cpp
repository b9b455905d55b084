#include "reader/OpenAndWait.h"

#include <cerrno>

#include <gio/gdesktopappinfo.h>
#include <gio/gio.h>
#include <sys/types.h>
#include <sys/wait.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTimer>
#include <QUrl>

namespace {

void rememberPid(GDesktopAppInfo* /*info*/, GPid pid, gpointer data)
{
    *static_cast<GPid*>(data) = pid;
}

} // namespace

qint64 OpenAndWait::launchDefault(const QString& path)
{
    const QByteArray local = QFile::encodeName(path);
    QByteArray head;
    QFile file(path);
    if (file.open(QIODevice::ReadOnly)) {
        head = file.read(4096);
    }
    gboolean uncertain = FALSE;
    gchar* type = g_content_type_guess(local.constData(),
                                       reinterpret_cast<const guchar*>(head.constData()),
                                       static_cast<gsize>(head.size()),
                                       &uncertain);
    GAppInfo* app = type ? g_app_info_get_default_for_type(type, FALSE) : nullptr;
    g_free(type);
    if (!app) {
        return 0;
    }
    GPid pid = 0;
    if (G_IS_DESKTOP_APP_INFO(app)) {
        const QByteArray uri = QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()).toEncoded();
        GList* uris = g_list_append(nullptr, const_cast<char*>(uri.constData()));
        GError* error = nullptr;
        const gboolean started = g_desktop_app_info_launch_uris_as_manager(
            G_DESKTOP_APP_INFO(app),
            uris,
            nullptr,
            static_cast<GSpawnFlags>(G_SPAWN_SEARCH_PATH | G_SPAWN_DO_NOT_REAP_CHILD),
            nullptr,
            nullptr,
            &rememberPid,
            &pid,
            &error);
        g_list_free(uris);
        if (error) {
            g_error_free(error);
        }
        if (!started) {
            pid = 0;
        }
    }
    g_object_unref(app);
    return pid;
}

void OpenAndWait::waitForProcess(qint64 pid)
{
    if (pid <= 0) {
        return;
    }
    QEventLoop loop;
    QTimer poll;
    poll.setInterval(100);
    QObject::connect(&poll, &QTimer::timeout, &loop, [&loop, pid] {
        int status = 0;
        const pid_t result = ::waitpid(static_cast<pid_t>(pid), &status, WNOHANG);
        if (result != 0 && !(result < 0 && errno == EINTR)) {
            loop.quit();
        }
    });
    if (QCoreApplication::instance()) {
        QObject::connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, &loop, &QEventLoop::quit);
    }
    poll.start();
    loop.exec();
}

bool OpenAndWait::openAndWait(const QString& path)
{
    const qint64 pid = launchDefault(path);
    if (pid > 0) {
        waitForProcess(pid);
        return true;
    }
    // No default application known to GIO: the desktop's opener, which ends when it has handed the file on.
    QProcess opener;
    opener.start(QStringLiteral("xdg-open"), {path});
    if (!opener.waitForStarted(5000)) {
        return false;
    }
    QEventLoop loop;
    QObject::connect(&opener, &QProcess::finished, &loop, &QEventLoop::quit);
    if (opener.state() != QProcess::NotRunning) {
        loop.exec();
    }
    return opener.exitStatus() == QProcess::NormalExit && opener.exitCode() == 0;
}
