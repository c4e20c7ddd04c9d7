// The versions kept of a file: bounded, never twice the same, whole or not at
// all, readable by the user alone, and a damaged one told as such.
#include "files/version_store.h"

#include "test_files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <string>
#include <thread>

namespace files {
namespace {

using test_files::writeFile;

const QString kTarget = QStringLiteral("/voos/fs9.cfg");

std::string bytesOf(const VersionStore& store, const VersionInfo& version)
{
    const VersionStore::Loaded loaded = store.load(version);
    return loaded.bytes ? std::string(loaded.bytes->view()) : "<" + loaded.error.toStdString() + ">";
}

// Bytes that do not compress, so that their size on disk is theirs.
std::string noise(std::size_t size, int seed)
{
    QRandomGenerator random(static_cast<quint32>(seed));
    std::string bytes(size, '\0');
    for (char& byte : bytes)
        byte = static_cast<char>(random.bounded(256));
    return bytes;
}

TEST(VersionStore, KeepsEachStateOnceTheNewestFirstWithinItsBounds)
{
    QTemporaryDir folder;
    VersionStore store(folder.path(), {3, 1 << 20});
    EXPECT_TRUE(store.list(kTarget).versions.empty());
    const struct {
        std::string bytes;
        VersionSource source;
    } kept[] = {
        {"[a]\r\nx=1\r\n", VersionSource::Opened},
        {"[a]\r\nx=1\r\n", VersionSource::SavedHere},  // as the newest: not kept again
        {"[a]\r\nx=2\r\n", VersionSource::SavedHere},
        {"[a]\r\nx=1\r\n", VersionSource::ChangedElsewhere},  // as an older one: kept
        {"[a]\r\nx=3\r\n", VersionSource::Opened},
    };
    std::int64_t time = 1'000;
    for (const auto& k : kept)
        EXPECT_EQ(store.keep(kTarget, k.bytes, k.source, time++), QString());
    const std::vector<VersionInfo> versions = store.list(kTarget).versions;
    ASSERT_EQ(versions.size(), 3u);  // the oldest went
    const std::string expected[] = {"[a]\r\nx=3\r\n", "[a]\r\nx=1\r\n", "[a]\r\nx=2\r\n"};
    const VersionSource sources[] = {VersionSource::Opened, VersionSource::ChangedElsewhere, VersionSource::SavedHere};
    for (std::size_t v = 0; v < versions.size(); ++v) {
        EXPECT_EQ(bytesOf(store, versions[v]), expected[v]) << v;
        EXPECT_EQ(versions[v].source, sources[v]) << v;
        EXPECT_FALSE(versions[v].damaged);
    }
    EXPECT_GT(versions[0].timeNs, versions[1].timeNs);
    // Another file's versions are its own.
    EXPECT_TRUE(store.list(QStringLiteral("/voos/outro.cfg")).versions.empty());

    // The bytes on disk bound them too, the newest always kept.
    VersionStore small(folder.filePath("pequeno"), {200, 100 * 1024});
    for (int v = 0; v < 5; ++v)
        EXPECT_EQ(small.keep(kTarget, noise(40 * 1024, v), VersionSource::SavedHere, v), QString());
    EXPECT_EQ(small.list(kTarget).versions.size(), 2u);
    EXPECT_EQ(small.keep(kTarget, noise(300 * 1024, 9), VersionSource::SavedHere, 10), QString());
    EXPECT_EQ(small.list(kTarget).versions.size(), 1u);

    EXPECT_EQ(store.removeAll(kTarget), QString());
    EXPECT_TRUE(store.list(kTarget).versions.empty());
}

TEST(VersionStore, TellsADamagedVersionAndKeepsTwoWritersApart)
{
    QTemporaryDir folder;
    const VersionStore store(folder.path());
    VersionStore writer(folder.path());
    ASSERT_EQ(writer.keep(kTarget, "[a]\r\nx=1\r\n", VersionSource::Opened, 1), QString());
    const VersionInfo version = store.list(kTarget).versions.at(0);
    // Its last bytes lost, then its header.
    QFile file(version.name);
    ASSERT_TRUE(file.resize(file.size() - 3));
    EXPECT_EQ(bytesOf(store, version), "<A versão está danificada e não pode ser lida.>");
    writeFile(version.name, "PLNV lixo");
    EXPECT_TRUE(store.list(kTarget).versions.at(0).damaged);

    // Two windows keeping versions of the same file at once: each whole, under a name of its own.
    std::thread other([&] {
        VersionStore second(folder.path());
        for (int v = 0; v < 20; ++v)
            EXPECT_EQ(second.keep(kTarget, noise(64 * 1024, 100 + v), VersionSource::ChangedElsewhere, 100 + v),
                      QString());
    });
    for (int v = 0; v < 20; ++v)
        EXPECT_EQ(writer.keep(kTarget, noise(64 * 1024, 200 + v), VersionSource::SavedHere, 200 + v), QString());
    other.join();
    const std::vector<VersionInfo> versions = store.list(kTarget).versions;
    ASSERT_EQ(versions.size(), 41u);
    for (const VersionInfo& kept : versions) {
        if (!kept.damaged) {
            EXPECT_EQ(store.load(kept).error, QString()) << kept.name.toStdString();
        }
    }
    EXPECT_EQ(test_files::entriesOf(QFileInfo(version.name).absolutePath()).filter(".planora-"), QStringList());
}

#ifndef _WIN32
TEST(VersionStore, OnlyTheUserMayReadThem)
{
    QTemporaryDir folder;
    const VersionStore store(folder.filePath("versoes"));
    ASSERT_EQ(store.keep(kTarget, "[a]\r\n", VersionSource::Opened, 1), QString());
    const VersionInfo version = store.list(kTarget).versions.at(0);
    const QString own = QFileInfo(version.name).absolutePath();
    EXPECT_EQ(test_files::statOf(folder.filePath("versoes")).st_mode & 0777, mode_t(0700));
    EXPECT_EQ(test_files::statOf(own).st_mode & 0777, mode_t(0700));
    EXPECT_EQ(test_files::statOf(version.name).st_mode & 0777, mode_t(0600));

    // A store that cannot be written says why.
    const VersionStore blocked(folder.filePath("bloqueado/versoes"));
    writeFile(folder.filePath("bloqueado"), "um arquivo, não uma pasta");
    EXPECT_TRUE(
        blocked.keep(kTarget, "[a]\r\n", VersionSource::Opened, 1).startsWith("Não foi possível criar a pasta"));
}
#endif

}  // namespace
}  // namespace files
