#include "file_fixtures.h"
#include "host/file_io.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

constexpr uid_t kNobody = 65534;

} // namespace

// Saves written into the file itself, and reads of files whose size lies.
class TstFileSafety : public QObject {
    Q_OBJECT

  private slots:
    // A shorter text saved in place leaves none of the old bytes behind it.
    void inPlaceSaveOfAShorterText_data() {
        QTest::addColumn<QString>("kind");
        QTest::newRow("second hard link") << QStringLiteral("hard link");
        QTest::newRow("another user's file") << QStringLiteral("owner");
        QTest::newRow("directory the user cannot write") << QStringLiteral("directory");
    }
    void inPlaceSaveOfAShorterText() {
        QFETCH(QString, kind);
        const bool root = ::geteuid() == 0;
        if (kind == QStringLiteral("owner") && !root)
            QSKIP("only root can give a file to another user");
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString d = dir.filePath(QStringLiteral("d")), p = d + QStringLiteral("/f.txt");
        QVERIFY(QDir().mkdir(d));
        writeBytes(p, "a much longer old text\r\n");
        const QByteArray name = QFile::encodeName(p);
        struct stat before {};
        QCOMPARE(::stat(name.constData(), &before), 0);
        uid_t actAs = ::geteuid();
        if (kind == QStringLiteral("hard link")) {
            QCOMPARE(::link(name.constData(), QFile::encodeName(d + QStringLiteral("/h"))), 0);
        } else if (kind == QStringLiteral("owner")) {
            QCOMPARE(::chown(name.constData(), kNobody, kNobody), 0);
        } else {
            // As root, act as another user: root may write any directory.
            if (root) {
                QCOMPARE(::chmod(QFile::encodeName(dir.path()).constData(), 0755), 0);
                QCOMPARE(::chown(name.constData(), kNobody, kNobody), 0);
                actAs = kNobody;
            }
            QCOMPARE(::chmod(QFile::encodeName(d).constData(), 0555), 0);
        }
        QCOMPARE(::seteuid(actAs), 0);
        const auto error = file_io::save(p, "new\r\n");
        QCOMPARE(::seteuid(root ? 0 : actAs), 0);
        ::chmod(QFile::encodeName(d).constData(), 0755);
        QVERIFY2(!error, qPrintable(error ? error->description : QString()));
        QCOMPARE(readBytes(p), QByteArray("new\r\n"));
        struct stat after {};
        QCOMPARE(::stat(name.constData(), &after), 0);
        QCOMPARE(after.st_ino, before.st_ino); // the same file, written in place
    }

    // A file is refused by its size before a byte is read, and again when it
    // grows past the limit while it is read: /proc files say they are empty.
    void readStopsAtTheLimit_data() {
        QTest::addColumn<QString>("path"); // empty: a sparse file of 10 MiB
        QTest::addColumn<qint64>("limit");
        QTest::addColumn<int>("error");     // 0: read whole
        QTest::addColumn<QString>("named"); // in the message: the size found before reading
        QTest::newRow("size above the limit")
            << QString() << qint64(1000) << EFBIG << u"10485760"_s;
        QTest::newRow("file in /proc growing past the limit")
            << u"/proc/self/maps"_s << qint64(100) << EFBIG << QString();
        QTest::newRow("file in /proc within the limit")
            << u"/proc/self/maps"_s << (qint64(1) << 30) << 0 << QString();
    }
    void readStopsAtTheLimit() {
        QFETCH(QString, path);
        QFETCH(qint64, limit);
        QFETCH(int, error);
        QFETCH(QString, named);
        QTemporaryDir dir;
        if (path.isEmpty()) {
            path = dir.filePath(QStringLiteral("big.txt"));
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            QVERIFY(f.resize(10 << 20)); // sparse: takes no disk space
        }
        QByteArray bytes("untouched");
        const auto failure = file_io::readAll(path, bytes, limit);
        QCOMPARE(failure ? failure->number : 0, error);
        if (!error) {
            QVERIFY(bytes.contains("[stack]"));
            return;
        }
        QVERIFY2(failure->description.contains(named), qPrintable(failure->description));
        QCOMPARE(bytes, QByteArray("untouched"));
    }
};

QTEST_APPLESS_MAIN(TstFileSafety)
#include "tst_file_safety.moc"
