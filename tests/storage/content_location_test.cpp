#include "storage/content_location.h"

#include "storage/content_file.h"
#include "qstring_printer.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace {

using storage::ContentFacts;
using storage::ContentLayout;
using storage::ContentPlaces;

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeAll(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return QDir().mkpath(QFileInfo(path).absolutePath()) && file.open(QIODevice::WriteOnly | QIODevice::Truncate)
        && file.write(bytes) == bytes.size();
}

// The delivered file: GBK text, CR LF; a copy must keep every byte.
QByteArray deliveredBytes()
{
    return readAll(QStringLiteral(VORFJP_SOURCE_DIR "/data/VorFjp.ini"));
}

const ContentPlaces kInstalled{QStringLiteral("/usr/bin"), QStringLiteral("/home/op/.local/share")};
const QString kBeside = QStringLiteral("/usr/bin/VorFjp.ini");
const QString kTemplate = QStringLiteral("/usr/share/vorfjp/VorFjp.ini");
const QString kPerUser = QStringLiteral("/home/op/.local/share/VorFJP/VorFjp.ini");

TEST(ContentPlaces, TemplateLiesInTheShareFolderBesideTheProgramsFolder)
{
    EXPECT_EQ(storage::installedTemplatePath(kInstalled), kTemplate);
    EXPECT_EQ(storage::installedTemplatePath({QStringLiteral("/opt/vorfjp/bin"), {}}),
              QStringLiteral("/opt/vorfjp/share/vorfjp/VorFjp.ini"));
    EXPECT_EQ(storage::perUserPath(kInstalled), kPerUser);
    EXPECT_EQ(storage::besideProgramPath(kInstalled), kBeside);
}

struct ChoiceRow {
    const char* name;
    ContentFacts facts;
    ContentLayout layout;
    QString path;
    QString templatePath;
};

void PrintTo(const ChoiceRow& row, std::ostream* out)
{
    *out << row.name;
}

class ContentChoice : public ::testing::TestWithParam<ChoiceRow> {};

TEST_P(ContentChoice, PicksTheFileAndWhereAMissingOneComesFrom)
{
    const ChoiceRow& row = GetParam();
    const storage::ContentChoice choice = storage::chooseContentFile(kInstalled, row.facts);
    EXPECT_EQ(choice.layout, row.layout);
    EXPECT_EQ(choice.path, row.path);
    EXPECT_EQ(choice.templatePath, row.templatePath);
}

// Facts: program folder writable, file beside the program, per-user file exists, template installed.
INSTANTIATE_TEST_SUITE_P(
    Layouts, ContentChoice,
    ::testing::Values(
        ChoiceRow{"PortableFileInAWritableFolder", {true, true, false, false}, ContentLayout::Portable, kBeside, {}},
        ChoiceRow{"PortableFileWinsOverAPerUserFile", {true, true, true, true}, ContentLayout::Portable, kBeside, {}},
        ChoiceRow{"InstalledFirstStart", {false, false, false, true}, ContentLayout::PerUser, kPerUser, kTemplate},
        ChoiceRow{"InstalledLaterStart", {false, false, true, true}, ContentLayout::PerUser, kPerUser, {}},
        ChoiceRow{"WritableFolderWithoutAFile", {true, false, false, true}, ContentLayout::PerUser, kPerUser, kTemplate},
        ChoiceRow{"ReadOnlyFolderWithAFileAndATemplate", {false, true, false, true}, ContentLayout::PerUser, kPerUser,
                  kTemplate},
        ChoiceRow{"ReadOnlyFolderWithAFileOnly", {false, true, false, false}, ContentLayout::PerUser, kPerUser, kBeside},
        ChoiceRow{"NothingAnywhere", {false, false, false, false}, ContentLayout::PerUser, kPerUser, kTemplate}),
    [](const auto& info) { return std::string(info.param.name); });

// A program folder and a user's data home under one temporary folder.
class ContentTree : public ::testing::Test {
protected:
    QString path(const QString& relative) const { return m_dir.filePath(relative); }
    ContentPlaces places() const { return {path(QStringLiteral("prefix/bin")), path(QStringLiteral("home/data"))}; }
    QString perUser() const { return path(QStringLiteral("home/data/VorFJP/VorFjp.ini")); }
    QString installedTemplate() const { return path(QStringLiteral("prefix/share/vorfjp/VorFjp.ini")); }

    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        ASSERT_TRUE(QDir().mkpath(places().programDir));
        ASSERT_FALSE(deliveredBytes().isEmpty());
    }

    QStringList entriesOf(const QString& relative) const
    {
        return QDir(path(relative)).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    }

private:
    QTemporaryDir m_dir;
};

TEST_F(ContentTree, FirstStartCopiesTheTemplateByteForByteAndLaterStartsKeepTheUsersFile)
{
    ASSERT_TRUE(writeAll(installedTemplate(), deliveredBytes()));
    const storage::ContentFileResult first = storage::contentFileInUse(places());
    ASSERT_TRUE(first.path) << first.error.toStdString();
    EXPECT_EQ(*first.path, perUser());
    EXPECT_EQ(readAll(perUser()), deliveredBytes());
    EXPECT_EQ(entriesOf(QStringLiteral("home/data/VorFJP")), QStringList{QStringLiteral("VorFjp.ini")})
        << "the copy left a temporary file behind";

    const QByteArray edited = QByteArray("8   32  ") + deliveredBytes().mid(8);
    ASSERT_TRUE(writeAll(perUser(), edited));
    const storage::ContentFileResult later = storage::contentFileInUse(places());
    ASSERT_TRUE(later.path) << later.error.toStdString();
    EXPECT_EQ(*later.path, perUser());
    EXPECT_EQ(readAll(perUser()), edited) << "a later start replaced the user's file";
    EXPECT_EQ(readAll(installedTemplate()), deliveredBytes());
}

TEST_F(ContentTree, PortableFileIsUsedInPlaceAndNothingIsMadeForTheUser)
{
    const QString beside = path(QStringLiteral("prefix/bin/VorFjp.ini"));
    ASSERT_TRUE(writeAll(beside, deliveredBytes()));
    ASSERT_TRUE(writeAll(installedTemplate(), QByteArray("not this one\r\n")));
    const storage::ContentFileResult result = storage::contentFileInUse(places());
    ASSERT_TRUE(result.path) << result.error.toStdString();
    EXPECT_EQ(*result.path, beside);
    EXPECT_EQ(readAll(beside), deliveredBytes());
    EXPECT_FALSE(QFileInfo::exists(path(QStringLiteral("home/data"))));
}

TEST_F(ContentTree, MissingTemplateIsReportedWithBothFilesAndNothingIsCreated)
{
    const storage::ContentFileResult result = storage::contentFileInUse(places());
    EXPECT_FALSE(result.path);
    // Paths are shown as the system writes them (backslashes on Windows).
    EXPECT_TRUE(result.error.contains(QDir::toNativeSeparators(perUser()))) << result.error.toStdString();
    EXPECT_TRUE(result.error.contains(QDir::toNativeSeparators(installedTemplate()))) << result.error.toStdString();
    EXPECT_FALSE(QFileInfo::exists(perUser()));
}

TEST_F(ContentTree, ACopyNeverReplacesAFileThatIsAlreadyThere)
{
    ASSERT_TRUE(writeAll(installedTemplate(), deliveredBytes()));
    const QByteArray users = QByteArray("16  32  ") + deliveredBytes().mid(8);
    ASSERT_TRUE(writeAll(perUser(), users));
    // Called directly, as when another start made the file between the look and the copy.
    const storage::ContentFileResult result = storage::createFromTemplate(installedTemplate(), perUser());
    ASSERT_TRUE(result.path) << result.error.toStdString();
    EXPECT_EQ(readAll(perUser()), users);
    EXPECT_EQ(entriesOf(QStringLiteral("home/data/VorFJP")), QStringList{QStringLiteral("VorFjp.ini")});
}

struct CopyFailureRow {
    const char* name;
    // Prepares the tree under `root`; returns the template path and the target path.
    std::function<std::pair<QString, QString>(const QString& root)> prepare;
    const char* shownInMessage; // relative to root
};

void PrintTo(const CopyFailureRow& row, std::ostream* out)
{
    *out << row.name;
}

class ContentCopyFailure : public ::testing::TestWithParam<CopyFailureRow> {};

TEST_P(ContentCopyFailure, IsReportedAndLeavesNoFile)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const auto [templatePath, target] = GetParam().prepare(dir.path());
    const storage::ContentFileResult result = storage::createFromTemplate(templatePath, target);
    EXPECT_FALSE(result.path);
    EXPECT_TRUE(result.error.contains(QDir::toNativeSeparators(target))) << result.error.toStdString();
    EXPECT_TRUE(result.error.contains(QDir::toNativeSeparators(templatePath))) << result.error.toStdString();
    EXPECT_TRUE(result.error.contains(QDir::toNativeSeparators(dir.filePath(QLatin1String(GetParam().shownInMessage)))))
        << result.error.toStdString();
    EXPECT_FALSE(QFileInfo(target).isFile());
    const QDir targetFolder = QFileInfo(target).absoluteDir();
    if (targetFolder.exists()) {
        EXPECT_TRUE(targetFolder.entryList(QDir::Files | QDir::Hidden).isEmpty()) << "a partial copy was left";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Template, ContentCopyFailure,
    ::testing::Values(
        CopyFailureRow{"Missing",
                       [](const QString& root) {
                           return std::pair{root + QStringLiteral("/share/VorFjp.ini"),
                                            root + QStringLiteral("/data/VorFJP/VorFjp.ini")};
                       },
                       "data/VorFJP/VorFjp.ini"},
        CopyFailureRow{"IsAFolder",
                       [](const QString& root) {
                           QDir(root).mkpath(QStringLiteral("share/VorFjp.ini"));
                           return std::pair{root + QStringLiteral("/share/VorFjp.ini"),
                                            root + QStringLiteral("/data/VorFJP/VorFjp.ini")};
                       },
                       "share/VorFjp.ini"},
        CopyFailureRow{"Oversized",
                       [](const QString& root) {
                           writeAll(root + QStringLiteral("/VorFjp.ini"),
                                    QByteArray(storage::kMaxContentFileBytes + 1, ' '));
                           return std::pair{root + QStringLiteral("/VorFjp.ini"),
                                            root + QStringLiteral("/data/VorFJP/VorFjp.ini")};
                       },
                       "VorFjp.ini"},
        CopyFailureRow{"DataHomeIsAFile",
                       [](const QString& root) {
                           writeAll(root + QStringLiteral("/VorFjp.ini"), deliveredBytes());
                           writeAll(root + QStringLiteral("/data"), "a file where the folder belongs");
                           return std::pair{root + QStringLiteral("/VorFjp.ini"),
                                            root + QStringLiteral("/data/VorFJP/VorFjp.ini")};
                       },
                       "data/VorFJP"}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
