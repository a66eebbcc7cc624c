// decoder_rate: how many bytes a second the virtual board's stream decoder gets through, on a
// stream of the frames the program sends (room rates, exchange rates, temperatures, weather dots,
// the clock and the connection test, as an operator's day of sends would mix them), fed in the
// chunks a serial read delivers. Prints the median of 5 rounds:
//   decoder_bytes_per_s, decoder_line_multiple (over the line's 5,760 bytes a second)
#include "median.h"

#include "protocol/clock.h"
#include "protocol/connection_test.h"
#include "protocol/display_data.h"
#include "protocol/stream_decoder.h"
#include "protocol/weather_dots.h"

#include <QByteArray>
#include <QDateTime>

#include <chrono>
#include <cstdio>
#include <variant>

namespace {

constexpr double kLineBytesPerSecond = 57600.0 / 10;
constexpr qsizetype kChunk = 32; // what one read of a serial port typically returns at this rate

struct Stream {
    QByteArray bytes;
    long frames = 0;
};

Stream programFrames()
{
    const QByteArray roomCells(32, '\x3f');
    const QByteArray rateCells(72, '\x06');
    const QByteArray temperatureCells(4, '\x5b');
    protocol::DotMatrix dots{};
    for (std::size_t i = 0; i < dots.size(); ++i)
        dots[i] = quint8(i * 37);
    const QDateTime noon(QDate(2026, 12, 7), QTime(12, 0, 0));

    Stream stream;
    const auto add = [&stream](const std::optional<QByteArray>& frame) {
        if (frame) {
            stream.bytes += *frame;
            ++stream.frames;
        }
    };
    while (stream.bytes.size() < 1 << 20) {
        add(protocol::displayDataFrame(255, {0, 32}, roomCells));
        add(protocol::displayDataFrame(255, {32, 72}, rateCells));
        add(protocol::displayDataFrame(255, {104, 4}, temperatureCells));
        add(protocol::weatherDotFrame(255, dots));
        add(protocol::clockFrame(255, noon));
        add(protocol::connectionTestFrame(255));
    }
    return stream;
}

// Seconds for one pass, or a negative value when the decoder did not find every frame.
double decodeOnce(const Stream& stream)
{
    protocol::StreamDecoder decoder;
    long frames = 0;
    const auto started = std::chrono::steady_clock::now();
    for (qsizetype at = 0; at < stream.bytes.size(); at += kChunk) {
        for (const protocol::DecodedItem& item : decoder.push(QByteArrayView(stream.bytes).sliced(at, qMin(kChunk, stream.bytes.size() - at))))
            frames += std::holds_alternative<protocol::DecodedFrame>(item) ? 1 : 0;
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    return frames == stream.frames ? seconds : -1;
}

} // namespace

int main()
{
    const Stream stream = programFrames();
    std::vector<double> rates;
    for (int round = 0; round < 5; ++round) {
        const double seconds = decodeOnce(stream);
        if (seconds <= 0) {
            std::fprintf(stderr, "decoder_rate: the decoder missed frames of the program's stream\n");
            return 1;
        }
        rates.push_back(double(stream.bytes.size()) / seconds);
    }
    const double rate = median(rates);
    std::printf("decoder_bytes_per_s %.0f\n", rate);
    std::printf("decoder_line_multiple %.0f\n", rate / kLineBytesPerSecond);
    return 0;
}
