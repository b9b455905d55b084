// Tries to take the "Semafore" lock in the folder given as the only argument.
// Exit status: 0 taken (and released), 3 held by someone else, 2 usage.
#include <QCoreApplication>

#include "store/SemaforeLock.h"

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 2) {
        return 2;
    }
    SemaforeLock lock;
    return lock.acquire(args.at(1)) ? 0 : 3;
}
