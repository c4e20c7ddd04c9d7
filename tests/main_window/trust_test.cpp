#include "window_fixture.h"

#include "files/file_reasons.h"
#include "files/temporary_file.h"

#include <QDir>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressDialog>
#include <QUndoStack>

#include <future>

using namespace gui_testing;

namespace {

const QByteArray kFile = "[um]\r\nx=1\r\n";

}  // namespace

class TrustTest : public WindowTest {};

TEST_F(TrustTest, TheSearchForTheSimulatorsFileNeverHoldsTheWindow)
{
    writeFile(simulatorFile(), "[simulador]\r\n");
    const QString mine = load(kFile);
    // A search that stalls as a dead network share would, until the test ends.
    std::promise<void> gate;
    window->setFS9Search([stalled = gate.get_future().share()] {
        stalled.wait();
        return QList<files::FS9File>();
    });
    for (const char* item : {"menProcurar", "menExluir"}) {
        SCOPED_TRACE(item);
        QString text;
        QString button;
        ModalScript()
            .then([&](QWidget* box) {
                auto* progress = qobject_cast<QProgressDialog*>(box);
                auto* cancel = box->findChild<QPushButton*>();
                if (!progress || !cancel) {
                    box->close();
                    return;
                }
                text = progress->labelText();
                button = cancel->text();
                QTest::mouseClick(cancel, Qt::LeftButton);
            })
            .run([&] { chooseMenuItem(window.get(), item); });
        EXPECT_EQ(text, "Procurando o fs9.cfg...");
        EXPECT_EQ(button, "Cancelar");
        // Cancelled: nothing changed, whatever the search is doing.
        EXPECT_EQ(window->CurrentFile(), mine);
        EXPECT_EQ(rowsOf(groups), QStringList{"[um]"});
        EXPECT_TRUE(QFile::exists(simulatorFile()));
    }
    gate.set_value();  // the stalled searches end, and what they find is dropped
}

TEST_F(TrustTest, EveryCommandThatWritesTheLoadedFileAsksWhenAnotherProgramChangedIt)
{
    // What saving checks, with no change acted on as it happens.
    watchFile(false);
    const QString file = path("fs9.cfg");
    // Another name of the file: a symbolic link on Linux, a hard link on Windows.
    const QString link = path("atalho.cfg");
#ifdef _WIN32
    writeFile(file, "");
    ASSERT_TRUE(test_files::hardLink(file, link));
#else
    ASSERT_TRUE(QFile::link(file, link));
#endif
    // Save, Save as through another name of the file, and a backup onto it,
    // the file dialog asking first about replacing the file.
    const struct {
        const char* item;
        std::optional<QString> target;
        std::vector<QMessageBox::StandardButton> replacing;
        QString done;
    } commands[] = {
        {"menSalvar", std::nullopt, {}, "Arquivo salvo com sucesso!"},
        {"menSalvarComo", link, {QMessageBox::Yes}, "Arquivo salvo com sucesso!"},
        {"menBackup", file, {QMessageBox::Yes}, "Backup salvo com sucesso!"},
    };
    for (const auto& c : commands) {
        SCOPED_TRACE(c.item);
        load(kFile);
        clickRow(groups, 0);
        editRow(0, "meu");
        // Another program's change of the same size, its modification time put back.
        const std::int64_t before = test_files::modifiedNsOf(file);
        writeFile(file, "[UM]\r\nx=1\r\n");
        test_files::setModifiedNs(file, before);

        std::vector<QMessageBox::StandardButton> answers = c.replacing;
        answers.push_back(QMessageBox::No);
        expectMessage(choose(c.item, answers, c.target).back(), QMessageBox::Question, "Arquivo alterado",
                      "O arquivo foi alterado por outro programa depois que o Planora o abriu.\n"
                      "Deseja substituí-lo mesmo assim?",
                      QMessageBox::No);
        EXPECT_EQ(contentOf(file), "[UM]\r\nx=1\r\n");
        answers.back() = QMessageBox::Yes;
        answers.push_back(QMessageBox::Ok);
        EXPECT_EQ(choose(c.item, answers, c.target).back().text, c.done);
        EXPECT_EQ(contentOf(file), "[um]\r\nx=meu\r\n");
        // What was written is the file as last written: Save asks nothing more.
        EXPECT_EQ(choose("menSalvar", {QMessageBox::Ok}).at(0).text, "Arquivo salvo com sucesso!");
    }

    // The file Save as wrote is the one whose changes are asked about.
    load(kFile);
    choose("menSalvarComo", {QMessageBox::Ok}, path("novo.cfg"));
    writeFile(path("novo.cfg"), "[outro]\r\n");
    EXPECT_EQ(choose("menSalvar", {QMessageBox::No}).at(0).title, "Arquivo alterado");
    EXPECT_EQ(contentOf(path("novo.cfg")), "[outro]\r\n");

    // A backup to another file asks nothing; a file that has gone is simply written again.
    load(kFile);
    writeFile(file, "[dois]\r\n");
    EXPECT_EQ(choose("menBackup", {QMessageBox::Ok}, path("copia.cfg")).at(0).text, "Backup salvo com sucesso!");
    QFile::remove(file);
    EXPECT_EQ(choose("menSalvar", {QMessageBox::Ok}).at(0).text, "Arquivo salvo com sucesso!");
    EXPECT_EQ(contentOf(file), kFile);
}

#ifndef _WIN32
TEST_F(TrustTest, ASaveBeyondTheFileSizeLimitFailsWithTheSystemsReasonOnLinux)
{
    const QByteArray big = "[g]\r\n" + QByteArray("nome=valor\r\n").repeated(30000);
    const QString file = load(big);
    // Files may not grow past 100 KB; the signal the system raises then would
    // end a program that did not ignore it.
    SeenMessage seen;
    {
        const test_files::ScopedLimit limit(RLIMIT_FSIZE, 100 * 1024);
        ModalScript().then(pressInMessageBox(seen)).run([&] { chooseMenuItem(window.get(), "menSalvar"); });
    }
    EXPECT_EQ(seen.icon, QMessageBox::Critical);
    EXPECT_TRUE(seen.text.endsWith(files::systemReason(EFBIG))) << seen.text.toStdString();
    EXPECT_EQ(contentOf(file), big);
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"fs9.cfg"});
}
#endif

#ifndef __SANITIZE_ADDRESS__  // runs out of memory through a replaced operator new
TEST_F(TrustTest, RunningOutOfMemoryInACommandIsToldAndChangesNothing)
{
    // One header shared by thirty groups of 32767 entries (listing them takes
    // some 20 MB), "[y]", then "[h]" twice, the second full but for one slot.
    const QString file = load(("[x]\r\n" + QByteArray("=\r\n").repeated(modMain::kMaxSlots)).repeated(30) +
                              "[y]\r\nz=1\r\n[h]\r\n[h]\r\n" + QByteArray("k=v\r\n").repeated(modMain::kMaxSlots - 1));
    const QByteArray onDisk = contentOf(file);
    // Memory runs out from the moment the user's action starts our code (not
    // Qt's: the text of a box is typed in before).
    std::optional<ScopedAllocationLimit> outOfMemory;
    const auto runOut = [&] { outOfMemory.emplace(32 << 10); };
    const auto pressAdd = [&](QWidget* dialog) {
        runOut();
        QTest::mouseClick(child<QPushButton>(dialog, "cmbAdicionar"), Qt::LeftButton);
        dialog->close();
    };
    const struct {
        const char* name;
        std::function<void()> prepare;
        std::function<void()> command;
        std::vector<ModalScript::Step> answers;  // of what it opens before the message
    } cases[] = {
        {"selecting a header", [&] { clickRow(groups, 30); }, [&] { runOut(), clickRow(groups, 0); }, {}},
        {"an undo that lists the header again",
         [&] {
             clickRow(groups, 0);
             editRow(0, "novo");
         },
         [&] { runOut(), chooseMenuItem(window.get(), "menDesfazer"); },
         {}},
        {"a value edit", [&] { clickRow(groups, 30); }, [&] { doubleClickRow(entries, 0); }, {[&](QWidget* box) {
             box->findChild<QLineEdit*>()->setText(QString(100'000, QChar(u'é')));
             runOut();
             qobject_cast<QDialog*>(box)->accept();
         }}},
        {"an import", [] {}, [&] { chooseMenuItem(window.get(), "menSequencia"); }, {[&](QWidget* dialog) {
             child<QPlainTextEdit>(dialog, "txtSequencia")->setPlainText("[y]\n" + QString("k=v\n").repeated(20000));
             pressAdd(dialog);
         }}},
        {"a new entry", [&] { clickRow(groups, 30); }, [&] { click("cmbNovaEntrada"); }, {[&](QWidget* dialog) {
             // Each box holds 32767 characters: the two together are more than memory has left.
             child<QLineEdit>(dialog, "txtParametro")->setText(QString(20'000, u'n'));
             child<QLineEdit>(dialog, "txtValor")->setText(QString(20'000, u'v'));
             pressAdd(dialog);
         }}},
        {"a new entry that the first group of its header takes, the second having no room for it",
         [&] { clickRow(groups, 31); },
         [&] { click("cmbNovaEntrada"); },
         {[&](QWidget* dialog) {
             child<QLineEdit>(dialog, "txtParametro")->setText("n");
             pressAdd(dialog);
         }}},
        {"a save", [] {}, [&] { runOut(), chooseMenuItem(window.get(), "menSalvar"); }, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        c.prepare();
        const std::string document = saved();
        const QStringList listed = rowsOf(entries) + selectedRowsOf(groups);
        const bool mayUndo = enabled("menDesfazer");
        SeenMessage seen;
        ModalScript script;
        for (const ModalScript::Step& answer : c.answers)
            script.then(answer);
        script.then(pressInMessageBox(seen)).run(c.command);
        outOfMemory.reset();
        expectMessage(seen, QMessageBox::Critical, "Erro", "Não há memória suficiente para concluir o comando.");
        EXPECT_TRUE(saved() == document);  // megabytes: not printed
        EXPECT_TRUE(rowsOf(entries) + selectedRowsOf(groups) == listed);
        EXPECT_EQ(enabled("menDesfazer"), mayUndo);
    }
    EXPECT_EQ(contentOf(file), onDisk);
}
#endif

TEST_F(TrustTest, AFileASaveWasCutShortInIsNeverReadSilently)
{
    for (const auto answer : {QMessageBox::Yes, QMessageBox::No}) {
        SCOPED_TRACE(answer);
        const QString file = path("fs9.cfg");
        writeFile(file, "[um]\r\nx=rasg");
        // What the save cut short left beside it: the content the file had before.
        files::TemporaryFile copy(file, files::TemporaryFile::Holds::OldContent,
                                  files::TemporaryFile::Access::OwnerOnly);
        copy.keep();
        copy.close();
        writeFile(copy.name(), kFile);
        SeenMessage question;
        ModalScript().then(pressInMessageBox(question, answer)).run([&] { EXPECT_TRUE(window->AbrirFS9(file)); });
        expectMessage(question, QMessageBox::Question, "Gravação interrompida",
                      "Uma gravação anterior deste arquivo não terminou. Restaurar o conteúdo que ele tinha antes?");
        EXPECT_EQ(saved(), answer == QMessageBox::Yes ? kFile.toStdString() : "[um]\r\nx=rasg\r\n");
        EXPECT_EQ(contentOf(file), answer == QMessageBox::Yes ? kFile : QByteArray("[um]\r\nx=rasg"));
        EXPECT_EQ(test_files::entriesOf(folder.path()).filter(".planora-"), QStringList());
    }
}
