#include "board/preview.h"

#include "board/operator_text.h"

#include "protocol/board_model.h"
#include "protocol/stream_decoder.h"
#include "storage/display_cells.h"

namespace board {

storage::BoardContent asStored(const storage::BoardContent& content)
{
    // The record is the one description of the fields' widths; a content that encodes always
    // decodes, as its numbers were valid.
    const storage::DecodeResult stored = storage::decodeRecord(storage::encodeRecord(content));
    return stored.content.value_or(content);
}

Preview preview(const storage::BoardContent& content, const WeatherDrawing& draw)
{
    Preview shown;
    shown.weatherText = storage::unpadded(content.weatherText, storage::Justify::Left);

    FrameRecorder recorder;
    EngineSetup setup;
    setup.clock = [] { return QDateTime::currentDateTime(); };
    setup.draw = draw;
    setup.pause = [](std::chrono::milliseconds) {};
    setup.save = [](const storage::BoardContent& sent) { return storage::UpdateResult {sent, false, {}, {}}; };
    BoardEngine engine(recorder, std::move(setup));
    bool fontMissing = false;
    for (const Command command : {Command::Rooms, Command::Rates, Command::Weather}) {
        const Outcome outcome = engine.run(command, [&content] { return Draft {content, protocol::kEveryDevice}; });
        if (outcome.ok())
            continue;
        if (const auto* missing = std::get_if<FontMissing>(&outcome.problem())) {
            fontMissing = true;
            shown.missing = fontMissingText(*missing);
        } else {
            shown.areas[std::size_t(areaOf(command))].problem = outcome.problem();
        }
    }

    // The frames as the board takes them: the virtual board's own model.
    protocol::BoardModel board(protocol::kEveryDevice);
    protocol::StreamDecoder decoder;
    for (const QByteArray& frame : recorder.frames()) {
        for (const protocol::DecodedItem& item : decoder.push(frame)) {
            if (const auto* decoded = std::get_if<protocol::DecodedFrame>(&item))
                board.apply(*decoded, 0);
        }
    }
    for (const storage::Area area : storage::kAreas) {
        AreaPreview& view = shown.areas[std::size_t(area)];
        view.area = area;
        view.place = storage::displayArea(content, area);
        if (view.problem)
            continue;
        view.cells = board.cells(view.place.address, view.place.length);
        view.groups = storage::faceRowGroups(area, view.place.length);
    }
    if (!fontMissing)
        shown.dots = board.dots();
    shown.cut = weatherCut(shown.weatherText);
    shown.roomNames = storage::wrapToCells(content.fjNames, storage::kRoomNameLineCells);
    shown.currencyNames = storage::wrapToCells(content.wbNames, storage::kCurrencyNameLineCells);
    return shown;
}

} // namespace board
