// Stand-in for libFuzzer where clang is not the compiler: feeds every seed file
// to the target, then a bounded number of seeded mutations of the seeds
// (bit flips, byte changes, cuts, duplications, random tails). It finds no new
// coverage, but it keeps every target exercised in every build.
#include <QDir>
#include <QFile>
#include <QString>

#include <cstdint>
#include <cstdio>
#include <random>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

using Bytes = std::vector<uint8_t>;

std::vector<Bytes> readSeeds(const QStringList& dirs)
{
    std::vector<Bytes> seeds;
    for (const QString& dirPath : dirs) {
        const QDir dir(dirPath);
        for (const QString& name : dir.entryList(QDir::Files, QDir::Name)) {
            QFile file(dir.filePath(name));
            if (!file.open(QIODevice::ReadOnly))
                continue;
            const QByteArray content = file.readAll();
            seeds.emplace_back(content.begin(), content.end());
        }
    }
    if (seeds.empty())
        seeds.emplace_back();
    return seeds;
}

Bytes mutate(Bytes input, std::mt19937& random)
{
    const int steps = 1 + int(random() % 4);
    for (int step = 0; step < steps; ++step) {
        switch (random() % 6) {
        case 0:
            if (!input.empty())
                input[random() % input.size()] ^= uint8_t(1u << (random() % 8));
            break;
        case 1:
            if (!input.empty())
                input[random() % input.size()] = uint8_t(random());
            break;
        case 2:
            if (!input.empty())
                input.resize(random() % input.size());
            break;
        case 3:
            input.insert(input.begin() + (input.empty() ? 0 : random() % input.size()), uint8_t(random()));
            break;
        case 4:
            if (!input.empty() && input.size() < 8192)
                input.insert(input.end(), input.begin(), input.begin() + random() % input.size());
            break;
        default:
            for (int i = int(random() % 16); i > 0; --i)
                input.push_back(uint8_t(random()));
            break;
        }
    }
    return input;
}

} // namespace

int main(int argc, char** argv)
{
    long runs = 10000;
    QStringList dirs;
    for (int i = 1; i < argc; ++i) {
        const QString arg = QString::fromLocal8Bit(argv[i]);
        if (arg.startsWith(QLatin1String("--runs=")))
            runs = arg.mid(7).toLong();
        else
            dirs << arg;
    }
    const std::vector<Bytes> seeds = readSeeds(dirs);
    for (const Bytes& seed : seeds)
        LLVMFuzzerTestOneInput(seed.data(), seed.size());

    std::mt19937 random(1);
    for (long run = 0; run < runs; ++run) {
        const Bytes input = mutate(seeds[random() % seeds.size()], random);
        LLVMFuzzerTestOneInput(input.data(), input.size());
    }
    std::printf("%zu seeds and %ld mutated inputs ran\n", seeds.size(), runs);
    return 0;
}
