// Builds the shipped velmo.db from its SQL text: velmo_mkdb <script.sql> <out.db>.
// The output is written under a temporary name and renamed, so a failed run leaves none.
#include "platform/SqliteDb.h"

#include <QFile>

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: velmo_mkdb script.sql out.db\n");
        return 2;
    }
    QFile script(QFile::decodeName(argv[1]));
    if (!script.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "velmo_mkdb: cannot read %s\n", argv[1]);
        return 1;
    }
    const QByteArray sql = script.readAll();
    const QString out = QFile::decodeName(argv[2]);
    const QString tmp = out + QStringLiteral(".part");
    QFile::remove(tmp);
    {
        SqliteDb db;
        if (!db.open(tmp) || !db.execScript(sql)) {
            std::fprintf(stderr, "velmo_mkdb: %s\n", db.lastError().toLocal8Bit().constData());
            db.close();
            QFile::remove(tmp);
            return 1;
        }
    }
    QFile::remove(out);
    if (!QFile::rename(tmp, out)) {
        std::fprintf(stderr, "velmo_mkdb: cannot write %s\n", argv[2]);
        QFile::remove(tmp);
        return 1;
    }
    return 0;
}
