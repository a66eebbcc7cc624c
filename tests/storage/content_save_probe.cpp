// content_save_probe a|b <path>: saves content A or B once into path.
// content_save_probe loop <path>: prints "saving" and then saves A and B into path by turns until
// it is killed, printing "saved a" or "saved b" after each finished save, so that its killer can
// follow its pace. The two contents differ in every field and in their byte length, so that a file
// that mixes them or is cut short matches neither.
#include "storage/content_file.h"

#include <cstdio>
#include <cstring>

namespace {

storage::BoardContent content(bool first)
{
    storage::BoardContent c;
    c.fjAddress = first ? 0 : 40;
    c.fjLength = first ? 32 : 8;
    c.wbAddress = first ? 32 : 48;
    c.wbLength = first ? 72 : 12;
    c.wenDuAddress = first ? 104 : 60;
    c.wenDuLength = 4;
    c.fjNames = first ? QStringLiteral("豪华套房商务套房") : QStringLiteral("Suite Twin Single");
    c.wbNames = first ? QStringLiteral("美元欧元英镑") : QStringLiteral("USD EUR GBP");
    for (std::size_t i = 0; i < c.fjValues.size(); ++i) {
        c.fjValues[i] = first ? QStringLiteral("1234") : QStringLiteral("98");
        c.wbValuesA[i] = first ? QStringLiteral("123.456") : QStringLiteral("7.1");
        c.wbValuesB[i] = first ? QStringLiteral("123.888") : QStringLiteral("7.2");
    }
    c.weatherText = first ? QStringLiteral("多云转晴") : QStringLiteral("rain");
    c.lowTemperature = first ? QStringLiteral("12") : QStringLiteral("-3");
    c.highTemperature = first ? QStringLiteral("18") : QStringLiteral("5");
    return c;
}

bool save(const char* path, bool first)
{
    const storage::SaveResult saved = storage::saveContentFile(QString::fromLocal8Bit(path), content(first));
    if (!saved.ok)
        std::fprintf(stderr, "%s\n", saved.error.toUtf8().constData());
    return saved.ok;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: content_save_probe a|b|loop <path>\n");
        return 2;
    }
    if (std::strcmp(argv[1], "a") == 0)
        return save(argv[2], true) ? 0 : 1;
    if (std::strcmp(argv[1], "b") == 0)
        return save(argv[2], false) ? 0 : 1;
    if (std::strcmp(argv[1], "loop") != 0)
        return 2;
    std::printf("saving\n");
    std::fflush(stdout);
    for (bool first = true;; first = !first) {
        if (!save(argv[2], first))
            return 1;
        std::printf("saved %s\n", first ? "a" : "b");
        std::fflush(stdout);
    }
}
