#include "TempDir.h"
#include "options/FolderPath.h"

#include <QtTest>

#include <sys/stat.h>

#include <fstream>
#include <vector>

Q_DECLARE_METATYPE(FolderCheck)

namespace {

// Answers questions with a fixed reply and remembers every text shown.
class FakePrompts : public FolderPrompts
{
  public:
    explicit FakePrompts(bool answer) : m_answer(answer) {}
    bool AskYesNo(const std::string& text) override
    {
        questions.push_back(text);
        return m_answer;
    }
    void ShowWarning(const std::string& text) override { warnings.push_back(text); }

    std::vector<std::string> questions;
    std::vector<std::string> warnings;

  private:
    bool m_answer;
};

bool IsFolder(const std::string& path)
{
    struct stat info = {};
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

} // namespace

class TestFolderPath : public QObject
{
    Q_OBJECT

  private slots:
    void init();
    void validatesPaths_data();
    void validatesPaths();
    void folderNames_data();
    void folderNames();
    void ensureFolderExists_data();
    void ensureFolderExists();

  private:
    std::unique_ptr<TempDir> m_dir;
    std::string m_base; // an existing folder without its trailing '/'
};

void TestFolderPath::init()
{
    m_dir = std::make_unique<TempDir>();
    QVERIFY(m_dir->isValid());
    m_base = m_dir->path();
    m_base.pop_back();
    std::ofstream(m_dir->file("plainfile")) << "x";
}

// "@" in a row stands for the existing temporary folder.
void TestFolderPath::validatesPaths_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<FolderCheck>("expected");

    QTest::newRow("root") << "/" << FolderCheck::Ok;
    QTest::newRow("existing folder") << "@" << FolderCheck::Ok;
    QTest::newRow("new levels are valid") << "@/a/b/c" << FolderCheck::Ok;
    QTest::newRow("non-ASCII level") << "@/监控录像" << FolderCheck::Ok;
    QTest::newRow("inner blank and dot") << "@/my videos.2024" << FolderCheck::Ok;
    QTest::newRow("empty") << "" << FolderCheck::Invalid;
    QTest::newRow("relative") << "videos/a" << FolderCheck::Invalid;
    QTest::newRow("dot relative") << "./videos" << FolderCheck::Invalid;
    QTest::newRow("home shorthand") << "~/videos" << FolderCheck::Invalid;
    QTest::newRow("trailing separator") << "@/videos/" << FolderCheck::Invalid;
    QTest::newRow("two separators inside") << "@//videos" << FolderCheck::Invalid;
    QTest::newRow("two separators at start") << "//tmp" << FolderCheck::Invalid;
    QTest::newRow("root with two separators") << "//" << FolderCheck::Invalid;
    QTest::newRow("level starts with full stop") << "@/.hidden" << FolderCheck::Invalid;
    QTest::newRow("parent level") << "@/../x" << FolderCheck::Invalid;
    QTest::newRow("level ends with full stop") << "@/name." << FolderCheck::Invalid;
    QTest::newRow("level ends with space") << "@/name /x" << FolderCheck::Invalid;
    QTest::newRow("level ends with tab") << "@/name\t" << FolderCheck::Invalid;
    QTest::newRow("level starts with space") << "@/ name" << FolderCheck::Invalid;
    QTest::newRow("Windows drive path") << "C:\\videos" << FolderCheck::Invalid;
}

void TestFolderPath::validatesPaths()
{
    QFETCH(QString, path);
    QFETCH(FolderCheck, expected);
    const std::string full = path.replace("@", QString::fromStdString(m_base)).toStdString();
    QCOMPARE(WalkFolderPath(full, FolderWalk::ValidateOnly), expected);
    // Validation alone never creates anything.
    QVERIFY(!IsFolder(m_base + "/a"));
}

void TestFolderPath::folderNames_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("valid");

    QTest::newRow("plain") << "videos" << true;
    QTest::newRow("chinese") << "监控录像" << true;
    QTest::newRow("inner space and dot") << "a b.c" << true;
    QTest::newRow("empty") << "" << false;
    for (const char* edge : {"\t", " ", "."}) {
        QTest::addRow("starts with %s", edge) << QString(edge) + "x" << false;
        QTest::addRow("ends with %s", edge) << "x" + QString(edge) << false;
    }
    for (const char c : std::string("\"*/:<>?\\|")) {
        QTest::addRow("contains %c", c) << "a" + QString(QChar(c)) + "b" << false;
    }
}

void TestFolderPath::folderNames()
{
    QFETCH(QString, name);
    QFETCH(bool, valid);
    QCOMPARE(IsValidFolderName(name.toStdString()), valid);
    // Every forbidden name also makes a whole path invalid ('/' just separates levels there).
    if (!name.contains('/')) {
        QCOMPARE(WalkFolderPath(m_base + "/" + name.toStdString(), FolderWalk::ValidateOnly) ==
                     FolderCheck::Ok,
                 valid);
    }
}

// Paths relative to the temporary folder ("plainfile" is a regular file there).
void TestFolderPath::ensureFolderExists_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("answer");
    QTest::addColumn<FolderCheck>("expected");
    QTest::addColumn<int>("questions");
    QTest::addColumn<QString>("warning"); // "invalid", "create" or ""
    QTest::addColumn<QStringList>("foldersAfter");

    QTest::newRow("existing folder, no question")
        << "" << true << FolderCheck::Ok << 0 << "" << QStringList{""};
    QTest::newRow("three new levels after one question")
        << "/one/two/three" << true << FolderCheck::Ok << 1 << ""
        << QStringList{"/one", "/one/two", "/one/two/three"};
    QTest::newRow("creation declined")
        << "/one/two" << false << FolderCheck::Declined << 1 << "" << QStringList{};
    QTest::newRow("invalid path, no question")
        << "/one/" << true << FolderCheck::Invalid << 0 << "invalid" << QStringList{};
    QTest::newRow("level below a file cannot be created")
        << "/plainfile/sub" << true << FolderCheck::NotCreated << 1 << "create" << QStringList{};
    QTest::newRow("a file is not a folder")
        << "/plainfile" << true << FolderCheck::NotCreated << 1 << "create" << QStringList{};
}

void TestFolderPath::ensureFolderExists()
{
    QFETCH(QString, path);
    QFETCH(bool, answer);
    QFETCH(FolderCheck, expected);
    QFETCH(int, questions);
    QFETCH(QString, warning);
    QFETCH(QStringList, foldersAfter);

    const std::string full = m_base + path.toStdString();
    FakePrompts prompts(answer);
    QCOMPARE(EnsureFolderExists(full, prompts), expected);
    QCOMPARE(int(prompts.questions.size()), questions);
    if (questions > 0) {
        QCOMPARE(prompts.questions[0],
                 "The folder:\n\n" + full + "\n\ndoes not exist. Do you want the folder to be created?");
    }
    if (warning.isEmpty()) {
        QVERIFY(prompts.warnings.empty());
    } else {
        QCOMPARE(int(prompts.warnings.size()), 1);
        QCOMPARE(prompts.warnings[0],
                 warning == "invalid"
                     ? "The folder:\n\n" + full + "\n\nis invalid. Please reenter."
                     : "The folder:\n\n" + full + "\n\ncan not be created. Please double check.");
    }
    for (const QString& folder : foldersAfter) {
        QVERIFY2(IsFolder(m_base + folder.toStdString()), qPrintable(folder));
    }
    if (expected != FolderCheck::Ok) {
        QVERIFY(!IsFolder(m_base + "/one"));
    }
}

QTEST_GUILESS_MAIN(TestFolderPath)
#include "TestFolderPath.moc"
