#include "files/version_store.h"

#include "files/content_hash.h"
#include "files/file_reasons.h"
#include "files/temporary_file.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include <algorithm>
#include <cstring>

namespace files {
namespace {

// A version's file: a header (its mark, the format's number, the source, the
// time, the size and hash of the bytes kept), then the bytes, compressed.
constexpr char kMark[4] = {'P', 'L', 'N', 'V'};
constexpr std::uint8_t kFormat = 1;
constexpr qsizetype kHeaderSize = 32;
const QString kSuffix = QStringLiteral(".versao");

template <typename Number>
void put(QByteArray& bytes, Number number)
{
    for (std::size_t i = 0; i < sizeof number; ++i)
        bytes.append(char((std::uint64_t(number) >> (8 * i)) & 0xFF));
}

template <typename Number>
Number take(const char* bytes)
{
    std::uint64_t number = 0;
    for (std::size_t i = 0; i < sizeof(Number); ++i)
        number |= std::uint64_t(static_cast<unsigned char>(bytes[i])) << (8 * i);
    return static_cast<Number>(number);
}

QByteArray headerOf(VersionSource source, std::int64_t timeNs, std::uint64_t size, std::uint64_t hash)
{
    QByteArray header(kMark, sizeof kMark);
    header.append(char(kFormat)).append(char(source)).append(2, '\0');
    put(header, timeNs);
    put(header, size);
    put(header, hash);
    return header;
}

// The version a file's header tells of, or a damaged one.
VersionInfo infoFrom(const QString& name, const QByteArray& header, std::int64_t storedBytes)
{
    VersionInfo info{name, 0, VersionSource::Opened, 0, 0, storedBytes, true};
    if (header.size() < kHeaderSize || std::memcmp(header.constData(), kMark, sizeof kMark) != 0 ||
        std::uint8_t(header[4]) != kFormat)
        return info;
    const auto source = std::uint8_t(header[5]);
    if (source < std::uint8_t(VersionSource::Opened) || source > std::uint8_t(VersionSource::ChangedElsewhere))
        return info;
    info.source = VersionSource(source);
    info.timeNs = take<std::int64_t>(header.constData() + 8);
    info.size = take<std::uint64_t>(header.constData() + 16);
    info.hash = take<std::uint64_t>(header.constData() + 24);
    info.damaged = false;
    return info;
}

bool onlyTheOwners(const QString& folder)
{
    return QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

// The versions' files of a folder, the oldest first. Picked by their suffix
// here rather than by a name filter: Qt matches a filter with a regular
// expression whose stack belongs to the thread, and its clean-up at the end
// of a thread of our own leaves MinGW's runtime hanging as the program ends.
QStringList versionFiles(const QDir& folder)
{
    QStringList names = folder.entryList(QDir::Files | QDir::Hidden, QDir::Name);
    names.removeIf([](const QString& name) { return !name.endsWith(kSuffix); });
    return names;
}

}  // namespace

VersionStore::VersionStore(QString folder, VersionBounds bounds)
    : folder_(std::move(folder))
    , bounds_(bounds)
{
}

QString VersionStore::defaultFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation) + QStringLiteral("/versoes");
}

QString VersionStore::folderOf(const QString& target) const
{
    const QByteArray name = target.toUtf8();
    return folder_ + u'/' +
           QString::number(hashOf({name.constData(), std::size_t(name.size())}), 16).rightJustified(16, u'0');
}

QString VersionStore::keep(const QString& target, std::string_view bytes, VersionSource source,
                           std::int64_t timeNs) const
{
    const QString folder = folderOf(target);
    if (!QDir().mkpath(folder) || !onlyTheOwners(folder_) || !onlyTheOwners(folder))
        return QStringLiteral("Não foi possível criar a pasta das versões:\n%1").arg(QDir::toNativeSeparators(folder));
    const std::uint64_t hash = hashOf(bytes);
    const QStringList kept = versionFiles(QDir(folder));
    if (!kept.isEmpty()) {
        QFile newest(folder + u'/' + kept.last());
        if (newest.open(QIODevice::ReadOnly)) {
            const VersionInfo last = infoFrom(newest.fileName(), newest.read(kHeaderSize), newest.size());
            if (!last.damaged && last.hash == hash && last.size == bytes.size())
                return {};
        }
    }
    QByteArray content = headerOf(source, timeNs, bytes.size(), hash);
    content += qCompress(reinterpret_cast<const uchar*>(bytes.data()), qsizetype(bytes.size()));
    // Under a name of its own, whole or not at all: another window may keep a version of the same file.
    const QString name = folder + u'/' + QString::number(timeNs).rightJustified(20, u'0') + u'-' +
                         QString::number(hash, 16) + kSuffix;
    TemporaryFile file(name, TemporaryFile::Holds::NewContent, TemporaryFile::Access::OwnerOnly);
    if (!file.isOpen() ||
        !systemCalls().write(file.file().get(), content.constData(), std::size_t(content.size()), 0) ||
        !systemCalls().flush(file.file().get()) || !file.close() || !file.commit(TemporaryFile::Placing::New)) {
        const int error = lastError();
        return error == existsError() ? QString() : systemReason(error);
    }
    prune(folder);
    return {};
}

void VersionStore::prune(const QString& folder) const
{
    const QDir dir(folder);
    QStringList kept = versionFiles(dir);
    std::int64_t bytes = 0;
    std::vector<std::int64_t> sizes;
    for (const QString& name : kept)
        bytes += sizes.emplace_back(QFileInfo(dir.filePath(name)).size());
    // The oldest go first; the newest always stays.
    for (qsizetype oldest = 0;
         kept.size() - oldest > 1 && (kept.size() - oldest > bounds_.versions || bytes > bounds_.bytes); ++oldest) {
        QFile::remove(dir.filePath(kept[oldest]));
        bytes -= sizes[std::size_t(oldest)];
    }
}

VersionStore::Listing VersionStore::list(const QString& target) const
{
    const QDir folder(folderOf(target));
    if (!folder.exists())
        return {};
    if (!QFileInfo(folder.path()).isReadable())
        return {
            {},
            QStringLiteral("A pasta das versões não pode ser lida:\n%1").arg(QDir::toNativeSeparators(folder.path()))};
    Listing listing;
    const QStringList names = versionFiles(folder);
    for (auto name = names.rbegin(); name != names.rend(); ++name) {
        QFile file(folder.filePath(*name));
        const bool opened = file.open(QIODevice::ReadOnly);
        listing.versions.push_back(
            infoFrom(file.fileName(), opened ? file.read(kHeaderSize) : QByteArray(), file.size()));
    }
    return listing;
}

VersionStore::Loaded VersionStore::load(const VersionInfo& version) const
{
    const QString damaged = QStringLiteral("A versão está danificada e não pode ser lida.");
    QFile file(version.name);
    if (!file.open(QIODevice::ReadOnly))
        return {std::nullopt, file.errorString()};
    const QByteArray content = file.readAll();
    const VersionInfo info = infoFrom(version.name, content.left(kHeaderSize), content.size());
    if (info.damaged)
        return {std::nullopt, damaged};
    const QByteArray bytes = qUncompress(content.mid(kHeaderSize));
    if (std::uint64_t(bytes.size()) != info.size || hashOf({bytes.constData(), std::size_t(bytes.size())}) != info.hash)
        return {std::nullopt, damaged};
    return {copyFileBytes({bytes.constData(), std::size_t(bytes.size())}), {}};
}

QString VersionStore::removeAll(const QString& target) const
{
    const QString folder = folderOf(target);
    if (QDir(folder).exists() && !QDir(folder).removeRecursively())
        return QStringLiteral("Não foi possível excluir as versões em\n%1").arg(QDir::toNativeSeparators(folder));
    return {};
}

QString sourceText(VersionSource source)
{
    switch (source) {
    case VersionSource::Opened:
        return QStringLiteral("Aberto");
    case VersionSource::SavedHere:
        return QStringLiteral("Salvo pelo Planora");
    case VersionSource::ChangedElsewhere:
        break;
    }
    return QStringLiteral("Alterado por outro programa");
}

}  // namespace files
