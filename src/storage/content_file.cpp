#include "storage/content_file.h"

#include "storage/gbk.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace storage {

namespace {

constexpr QByteArrayView kLineEnd = "\r\n";

QString shown(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

DecodeResult loadFailure(const QString& path, const QString& what)
{
    return {std::nullopt, QStringLiteral("无法读取内容文件“%1”：%2").arg(shown(path), what), {}};
}

// GBK never uses CR or LF as the second byte of a character, so the line can be cut
// before decoding.
QByteArrayView firstLine(QByteArrayView bytes)
{
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\r' || bytes[i] == '\n')
            return bytes.first(i);
    }
    return bytes;
}

QString byteOrderMarkName(QByteArrayView bytes)
{
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return QStringLiteral("UTF-8");
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF"))
        return QStringLiteral("UTF-16");
    return {};
}

struct SaveProblem {
    QString what;
    QString remedy;
};

SaveProblem saveProblem(QFileDevice::FileError error)
{
    switch (error) {
    case QFileDevice::PermissionsError:
        return {QStringLiteral("没有写入权限"),
                QStringLiteral("请让当前用户可以写入该文件和它所在的文件夹，然后重新发送")};
    case QFileDevice::ResourceError:
    case QFileDevice::WriteError:
        return {QStringLiteral("写入没有完成，磁盘可能已满"), QStringLiteral("请腾出磁盘空间后重新发送")};
    case QFileDevice::RenameError:
        return {QStringLiteral("新内容无法替换旧文件"),
                QStringLiteral("请检查该文件是否被其他程序占用或设为只读，然后重新发送")};
    default:
        return {QStringLiteral("无法创建新文件"),
                QStringLiteral("请检查该文件所在的文件夹是否存在、是否可以写入，然后重新发送")};
    }
}

SaveResult saveFailure(const QString& path, const SaveProblem& problem, const QString& detail)
{
    QString text = QStringLiteral("保存内容文件“%1”失败：%2").arg(shown(path), problem.what);
    if (!detail.isEmpty())
        text += QStringLiteral("（%1）").arg(detail);
    text += QStringLiteral("。%1。").arg(problem.remedy);
    if (QFileInfo(path).isFile())
        text += QStringLiteral("原来的文件保持不变。");
    return {false, text};
}

} // namespace

QString contentFilePath(const QString& folder)
{
    return folder + u'/' + QLatin1String(kContentFileName);
}

DecodeResult loadContentFile(const QString& path)
{
    const QFileInfo info(path);
    if (info.isDir())
        return loadFailure(path, QStringLiteral("这是一个文件夹，不是文件。请删除或改名该文件夹，并放入随程序提供的内容文件。"));
    if (!info.exists())
        return loadFailure(path, QStringLiteral("文件不存在。请把随程序提供的内容文件复制到这里。"));
    if (!info.isFile())
        return loadFailure(path, QStringLiteral("这不是普通文件。请换成随程序提供的内容文件。"));

    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return loadFailure(path, QStringLiteral("文件无法打开（%1）。请检查文件的读取权限。").arg(file.errorString()));
    // Read one byte more than allowed, so that an oversized file is recognised without
    // reading all of it.
    const QByteArray bytes = file.read(kMaxContentFileBytes + 1);
    if (file.error() != QFileDevice::NoError)
        return loadFailure(path, QStringLiteral("读取出错（%1）。").arg(file.errorString()));
    file.close();
    return decodeContentBytes(path, bytes);
}

DecodeResult decodeContentBytes(const QString& path, QByteArrayView bytes)
{
    if (bytes.isEmpty())
        return loadFailure(path, QStringLiteral("文件是空的。"));
    if (bytes.size() > kMaxContentFileBytes)
        return loadFailure(path, QStringLiteral("文件超过 %1 字节，不是内容文件。").arg(kMaxContentFileBytes));
    if (const QString bom = byteOrderMarkName(bytes); !bom.isEmpty())
        return loadFailure(path, QStringLiteral("文件以 %1 字节顺序标记开头。内容文件必须以 GBK 编码保存，不带字节顺序标记。").arg(bom));

    const QByteArrayView line = firstLine(bytes);
    if (line.contains('\0'))
        return loadFailure(path, QStringLiteral("第一行含有空字节，不是文本文件。"));
    const std::optional<QString> record = fromGbk(line);
    if (!record)
        return loadFailure(path, QStringLiteral("第一行不是有效的 GBK 编码文本。内容文件必须以 GBK 编码保存。"));

    DecodeResult result = decodeRecord(*record);
    if (!result.content)
        result.error = QStringLiteral("内容文件“%1”有错：%2").arg(shown(path), result.error);
    return result;
}

SaveResult saveContentFile(const QString& path, const BoardContent& content)
{
    return saveContentRecord(path, encodeRecord(content));
}

SaveResult saveContentRecord(const QString& path, const QString& record)
{
    if (QFileInfo(path).isDir())
        return saveFailure(path,
                           {QStringLiteral("该位置是一个文件夹，不是文件"),
                            QStringLiteral("请删除或改名该文件夹后重新发送")},
                           {});

    const QByteArray bytes = toGbk(record) + kLineEnd.toByteArray();
    // QSaveFile never falls back to writing the target in place (direct write fallback is
    // off by default), so the old file stays whole until the complete new one replaces it.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return saveFailure(path, saveProblem(file.error()), file.errorString());
    // commit() does not notice when the last flush of its buffer is cut short (a full
    // disk) and would then put a short file in place of the old one, so the data is
    // flushed and checked here first.
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        file.cancelWriting();
        return saveFailure(path, saveProblem(QFileDevice::WriteError), {});
    }
    if (!file.commit())
        return saveFailure(path, saveProblem(file.error()), file.errorString());
    return {true, {}};
}

} // namespace storage
