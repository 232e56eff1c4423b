// The update client. Until the update dialog exists it only checks its command line:
// without "-id:" it ends with -1.
#include <QCoreApplication>
#include <QStringList>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    for (int i = 1; i < args.size(); ++i)
        if (args[i].startsWith(QLatin1String("-id:"), Qt::CaseInsensitive))
            return 0;
    return -1;
}
