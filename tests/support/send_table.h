#pragma once
// What each command puts on the line for a given content file and device number, with the
// bytes given by the board's documentation. The window's buttons and vorfjp-send --dry-run are
// both checked against these rows.
#include "support/content_file_bytes.h"

#include <QByteArray>

#include <algorithm>
#include <ostream>
#include <vector>

namespace sendtable {

struct SendRow {
    const char* name;
    const char* command; // vorfjp-send's command
    const char* button;  // the window's button
    const char* device;
    apptest::RecordPieces pieces;
    // Each frame in sending order, as hex bytes.
    std::vector<const char*> frames;
};

inline void PrintTo(const SendRow& row, std::ostream* out)
{
    *out << row.name;
}

inline apptest::RecordPieces withAreas(const char* areas)
{
    apptest::RecordPieces pieces;
    pieces.areas = areas;
    return pieces;
}

inline apptest::RecordPieces roomsOfTheExample()
{
    apptest::RecordPieces pieces = withAreas("0   8   256 12  0   4   ");
    pieces.fjValues[1] = "5.6";
    pieces.fjValues[2] = "88";
    return pieces;
}

inline apptest::RecordPieces emptyWeatherText()
{
    apptest::RecordPieces pieces = withAreas("0   32  32  72  0   4   ");
    pieces.weather = apptest::ascii("");
    return pieces;
}

inline std::vector<SendRow> sendRows()
{
    return {
        {"ConnectionTestEveryBoard", "test", "FindCommand", "255", apptest::RecordPieces(),
         {"02 00 09 FF EE 21 FF C6 03"}},
        {"ConnectionTestBoardOne", "test", "FindCommand", "1", apptest::RecordPieces(), {"02 00 09 01 EE 21 01 C6 03"}},
        {"RoomRatesEightCells", "rooms", "SendFJCommand", "1", roomsOfTheExample(),
         {"02 00 14 01 EE 25 00 00 00 08 F9 A4 B0 99 FF 12 82 FF 32 03"}},
        {"ExchangeRatesTwelveCells", "rates", "SendWBCommand", "1", withAreas("0   8   256 12  0   4   "),
         {"02 00 18 01 EE 25 01 00 00 0C F9 A4 30 99 92 82 F9 A4 30 80 80 80 D6 03"}},
        {"WeatherEmptyText", "weather", "TxtSendCommand", "255", emptyWeatherText(),
         {"02 00 10 FF EE 25 00 00 00 04 F9 A4 F9 80 04 03",
          "02 00 8E FF EE 29 00 01 C0 00 08 10"
          " 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00"
          " 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00"
          " 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00"
          " 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00"
          " 6F 03"}},
    };
}

// The row of that name (it must be in the table).
inline const SendRow& sendRow(const char* name)
{
    static const std::vector<SendRow> rows = sendRows();
    return *std::find_if(rows.begin(), rows.end(), [name](const SendRow& row) { return QByteArray(row.name) == name; });
}

} // namespace sendtable
