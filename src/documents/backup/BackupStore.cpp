#include "documents/backup/BackupStore.h"

#include "platform/AtomicFile.h"
#include "platform/OwnerLock.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace backup {

namespace {

constexpr QFileDevice::Permissions kPrivateFolder =
    QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner;
const char* const kLockName = "owner.lock";

bool makePrivateFolder(const QString& path)
{
    if (!QDir().mkpath(path))
        return false;
    return QFile::setPermissions(path, kPrivateFolder);
}

QByteArray encoded(const QString& s)
{
    return s.toUtf8().toPercentEncoding(" /<>()[]{}!$&'*+,;:@~");
}

bool toInt(const QByteArray& value, int* out)
{
    bool ok = false;
    const int v = value.toInt(&ok);
    if (ok)
        *out = v;
    return ok;
}

} // namespace

QByteArray indexText(const Entry& e)
{
    QByteArray out;
    out += "Path=" + encoded(e.path) + '\n';
    out += "Title=" + encoded(e.title) + '\n';
    out += "Encoding=" + QByteArray::number(e.encoding) + '\n';
    out += "EolMode=" + QByteArray::number(e.eolMode) + '\n';
    out += "SavedEncoding=" + QByteArray::number(e.savedEncoding) + '\n';
    out += "FileStamp=" + QByteArray::number(e.fileStamp) + '\n';
    out += "Time=" + e.time.toUTC().toString(Qt::ISODate).toLatin1() + '\n';
    return out;
}

bool parseIndex(const QByteArray& bytes, Entry* e)
{
    Entry r;
    bool havePath = false;
    bool ok = true;
    for (const QByteArray& line : bytes.split('\n')) {
        const qsizetype eq = line.indexOf('=');
        if (eq <= 0)
            continue;
        const QByteArray key = line.left(eq);
        const QByteArray value = line.mid(eq + 1).trimmed();
        // Names keep spaces at their ends ("notes.txt " is another file): only a CR of a
        // CR LF line end goes.
        QByteArray name = line.mid(eq + 1);
        if (name.endsWith('\r'))
            name.chop(1);
        if (key == "Path") {
            r.path = QString::fromUtf8(QByteArray::fromPercentEncoding(name));
            havePath = !r.path.isEmpty() && !r.path.contains(QChar(0));
        } else if (key == "Title") {
            r.title = QString::fromUtf8(QByteArray::fromPercentEncoding(name));
        } else if (key == "Encoding") {
            ok = ok && toInt(value, &r.encoding) && r.encoding >= 0 && r.encoding <= 4;
        } else if (key == "EolMode") {
            ok = ok && toInt(value, &r.eolMode) && r.eolMode >= 0 && r.eolMode <= 2;
        } else if (key == "SavedEncoding") {
            ok = ok && toInt(value, &r.savedEncoding) && r.savedEncoding >= -1 && r.savedEncoding <= 4;
        } else if (key == "FileStamp") {
            ok = ok && toInt(value, &r.fileStamp);
        } else if (key == "Time") {
            r.time = QDateTime::fromString(QString::fromLatin1(value), Qt::ISODate);
        }
    }
    if (!ok || !havePath)
        return false;
    if (r.title.isEmpty())
        r.title = r.path;
    r.folder = e->folder;
    r.name = e->name;
    *e = r;
    return true;
}

// Store ----------------------------------------------------------------------------------

Store::Store(QString root) : m_root(std::move(root)) {}

Store::~Store() = default;

bool Store::open()
{
    if (!makePrivateFolder(m_root))
        return false;
    const QString name = QStringLiteral("%1-%2").arg(QCoreApplication::applicationPid()).arg(QDateTime::currentMSecsSinceEpoch());
    const QString folder = m_root + QLatin1Char('/') + name;
    if (!makePrivateFolder(folder))
        return false;
    auto lock = std::make_unique<OwnerLock>();
    if (!lock->tryAcquire(folder + QLatin1Char('/') + QLatin1String(kLockName))) {
        QDir(folder).removeRecursively();
        return false;
    }
    m_folder = folder;
    m_lock = std::move(lock);
    return true;
}

std::vector<Entry> Store::claimLeftovers()
{
    std::vector<Entry> entries;
    const QFileInfoList folders = QDir(m_root).entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::NoSymLinks, QDir::Name);
    for (const QFileInfo& info : folders) {
        const QString folder = info.absoluteFilePath();
        if (folder == m_folder || std::any_of(m_claimed.begin(), m_claimed.end(), [&](const auto& c) { return c.first == folder; }))
            continue;
        auto lock = std::make_unique<OwnerLock>();
        if (!lock->tryAcquire(folder + QLatin1Char('/') + QLatin1String(kLockName)))
            continue;   // a running editor's
        std::vector<Entry> found;
        const QFileInfoList indexes = QDir(folder).entryInfoList({QStringLiteral("*.idx")}, QDir::Files | QDir::NoSymLinks, QDir::Name);
        for (const QFileInfo& idx : indexes) {
            Entry e;
            e.folder = folder;
            e.name = idx.completeBaseName();
            QFile file(idx.absoluteFilePath());
            if (idx.size() > (1 << 20) || !file.open(QIODevice::ReadOnly) || !QFileInfo(e.textFile()).isFile())
                continue;
            if (parseIndex(file.readAll(), &e))
                found.push_back(e);
        }
        if (found.empty()) {
            // Nothing that could be offered: what is there is cleared away.
            QDir(folder).removeRecursively();
            continue;
        }
        entries.insert(entries.end(), found.begin(), found.end());
        m_claimed.emplace_back(folder, std::move(lock));
    }
    std::stable_sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) { return a.time < b.time; });
    return entries;
}

bool Store::adopt(const Entry& e, const QString& name)
{
    if (m_folder.isEmpty())
        return false;
    const QString base = m_folder + QLatin1Char('/') + name;
    QFile::remove(base + QStringLiteral(".txt"));
    QFile::remove(base + QStringLiteral(".idx"));
    return QFile::rename(e.textFile(), base + QStringLiteral(".txt"))
           && QFile::rename(e.folder + QLatin1Char('/') + e.name + QStringLiteral(".idx"), base + QStringLiteral(".idx"));
}

void Store::discardClaimed()
{
    for (auto& [folder, lock] : m_claimed) {
        QDir(folder).removeRecursively();
        lock.reset();
    }
    m_claimed.clear();
}

void Store::releaseClaimed()
{
    m_claimed.clear();
}

void Store::close()
{
    if (m_folder.isEmpty())
        return;
    const QStringList left = QDir(m_folder).entryList({QStringLiteral("*.idx"), QStringLiteral("*.txt")}, QDir::Files);
    if (left.isEmpty()) {
        QDir(m_folder).removeRecursively();
        m_lock.reset();
        m_folder.clear();
    }
}

// Writer ---------------------------------------------------------------------------------

Writer::Writer(QString folder) : m_folder(std::move(folder)), m_thread([this] { run(); }) {}

Writer::~Writer()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stop = true;
    }
    m_wake.notify_all();
    m_thread.join();
}

void Writer::write(const QString& name, std::string text, QByteArray index)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        // A newer text of the same name replaces one that is still waiting.
        if (!m_queue.empty() && m_queue.back().name == name && !m_queue.back().remove) {
            m_queue.back().text = std::move(text);
            m_queue.back().index = std::move(index);
        } else {
            m_queue.push_back(Job{name, false, 0, std::move(text), std::move(index)});
        }
    }
    m_wake.notify_all();
}

void Writer::remove(const QString& name)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_queue.push_back(Job{name, true, 0, {}, {}});
    }
    m_wake.notify_all();
}

std::string Writer::takeSpare()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    std::string spare = std::move(m_spare);
    m_spare.clear();
    return spare;
}

void Writer::prepareSpare(size_t bytes)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_spare.capacity() >= bytes)
            return;
        m_queue.push_back(Job{QString(), false, bytes, {}, {}});
    }
    m_wake.notify_all();
}

void Writer::flush()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    m_idle.wait(lock, [this] { return m_queue.empty() && !m_busy; });
}

int Writer::failures() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_failures;
}

void Writer::run()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_stop || !m_queue.empty(); });
        if (m_queue.empty()) {
            if (m_stop)
                return;
            continue;
        }
        Job job = std::move(m_queue.front());
        m_queue.pop_front();
        m_busy = true;
        lock.unlock();
        perform(job);
        lock.lock();
        if (job.text.capacity() > m_spare.capacity()) {
            job.text.clear();
            m_spare = std::move(job.text);
        }
        m_busy = false;
        if (m_queue.empty())
            m_idle.notify_all();
    }
}

void Writer::perform(Job& job)
{
    if (job.prepare) {
        // Touching every page now is what makes the memory really there.
        job.text.resize(job.prepare);
        job.text.clear();
        return;
    }
    const QString base = m_folder + QLatin1Char('/') + job.name;
    if (job.remove) {
        // The index goes first: a text without its index is never offered.
        QFile::remove(base + QStringLiteral(".idx"));
        QFile::remove(base + QStringLiteral(".txt"));
        return;
    }
    atomicfile::Writer out;
    bool ok = out.open(base + QStringLiteral(".txt")) == 0 && out.reserve(int64_t(job.text.size())) == 0
              && out.write(job.text) == 0 && out.commit() == 0;
    ok = ok && atomicfile::write(base + QStringLiteral(".idx"), job.index);
    if (!ok) {
        std::lock_guard<std::mutex> lock(m_mutex);
        ++m_failures;
    }
}

} // namespace backup
