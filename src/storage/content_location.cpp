#include "storage/content_location.h"

#include "storage/app_name.h"
#include "storage/content_file.h"
#include "storage/file_platform.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

namespace storage {

namespace {

QString shown(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

ContentFileResult creationFailure(const QString& templatePath, const QString& target, const QString& what)
{
    return {std::nullopt, QStringLiteral("无法创建内容文件“%1”（从模板“%2”复制）：%3")
                              .arg(shown(target), shown(templatePath), what)};
}

} // namespace

QString besideProgramPath(const ContentPlaces& places)
{
    return contentFilePath(places.programDir);
}

QString installedTemplatePath(const ContentPlaces& places)
{
    return QDir::cleanPath(places.programDir + QStringLiteral("/../share/vorfjp/VorFjp.ini"));
}

QString perUserPath(const ContentPlaces& places)
{
    return contentFilePath(places.dataHome + u'/' + QString::fromUtf16(kApplicationName));
}

ContentChoice chooseContentFile(const ContentPlaces& places, const ContentFacts& facts)
{
    if (facts.fileBesideProgram && facts.programDirWritable)
        return {ContentLayout::Portable, besideProgramPath(places), {}};
    ContentChoice choice{ContentLayout::PerUser, perUserPath(places), {}};
    if (facts.perUserFileExists)
        return choice;
    choice.templatePath = facts.installedTemplateExists || !facts.fileBesideProgram ? installedTemplatePath(places)
                                                                                     : besideProgramPath(places);
    return choice;
}

ContentFacts gatherContentFacts(const ContentPlaces& places)
{
    ContentFacts facts;
    facts.programDirWritable = QFileInfo(places.programDir).isWritable();
    facts.fileBesideProgram = QFileInfo(besideProgramPath(places)).isFile();
    // Anything at the per-user place counts: a folder there is reported by the load rather than
    // replaced by a copy.
    facts.perUserFileExists = QFileInfo::exists(perUserPath(places)) || QFileInfo(perUserPath(places)).isSymLink();
    facts.installedTemplateExists = QFileInfo(installedTemplatePath(places)).isFile();
    return facts;
}

ContentFileResult createFromTemplate(const QString& templatePath, const QString& target)
{
    const QFileInfo source(templatePath);
    if (!source.isFile())
        return creationFailure(templatePath, target, QStringLiteral("模板不存在。请重新安装本程序，或自己把内容文件放到“%1”。").arg(shown(target)));
    QFile in(templatePath);
    if (!in.open(QIODevice::ReadOnly))
        return creationFailure(templatePath, target, QStringLiteral("模板无法打开（%1）。请检查模板的读取权限。").arg(in.errorString()));
    const QByteArray bytes = in.read(kMaxContentFileBytes + 1);
    if (in.error() != QFileDevice::NoError)
        return creationFailure(templatePath, target, QStringLiteral("读取模板出错（%1）。").arg(in.errorString()));
    if (bytes.size() > kMaxContentFileBytes)
        return creationFailure(templatePath, target,
                               QStringLiteral("模板超过 %1 字节，不是内容文件。请重新安装本程序。").arg(kMaxContentFileBytes));

    const QString folder = QFileInfo(target).absolutePath();
    if (!QDir().mkpath(folder))
        return creationFailure(templatePath, target,
                               QStringLiteral("文件夹“%1”无法创建。请检查它的上级文件夹是否可以写入。").arg(shown(folder)));
    // The copy is written whole under a temporary name and then given its name by a rename that
    // refuses to replace an existing file, so the target is either absent or complete.
    QTemporaryFile copy(folder + QStringLiteral("/.VorFjp.ini.XXXXXX"));
    if (!copy.open())
        return creationFailure(templatePath, target,
                               QStringLiteral("文件夹“%1”无法写入（%2）。请检查它的写入权限。").arg(shown(folder), copy.errorString()));
    if (copy.write(bytes) != bytes.size() || !copy.flush())
        return creationFailure(templatePath, target, QStringLiteral("写入没有完成，磁盘可能已满。请腾出磁盘空间后重新启动程序。"));
    if (!copy.rename(target)) {
        if (QFileInfo::exists(target))
            return {target, {}}; // made meanwhile by another start; that one is kept
        return creationFailure(templatePath, target, QStringLiteral("副本无法改名（%1）。").arg(copy.errorString()));
    }
    copy.setAutoRemove(false);
    return {target, {}};
}

ContentFileResult contentFileInUse(const ContentPlaces& places)
{
    const ContentChoice choice = chooseContentFile(places, gatherContentFacts(places));
    if (choice.templatePath.isEmpty())
        return {choice.path, {}};
    return createFromTemplate(choice.templatePath, choice.path);
}

ContentFileResult contentFileInUse(const QString& programDir)
{
    return contentFileInUse(ContentPlaces{programDir, userDataHome()});
}

} // namespace storage
