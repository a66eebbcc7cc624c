#pragma once

// Printing and naming of the protocol tests' table rows.
#include "support/hex.h"

#include <QByteArray>
#include <QString>
#include <gtest/gtest.h>

#include <concepts>
#include <ostream>
#include <string>

using testsupport::hex;

inline void PrintTo(const QByteArray& bytes, std::ostream* out)
{
    *out << '[' << bytes.toHex(' ').toUpper().toStdString() << ']';
}

inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}

// Table rows live in each test file's unnamed namespace, which this one joins,
// so that test listings show a row by its name instead of its raw bytes.
namespace {

template <typename Row>
    requires requires(const Row& row) { { row.name } -> std::convertible_to<const char*>; }
std::ostream& operator<<(std::ostream& out, const Row& row)
{
    return out << row.name;
}

} // namespace

// Test names of table rows come from the rows' own name field.
struct RowName {
    template <typename Row>
    std::string operator()(const testing::TestParamInfo<Row>& info) const
    {
        return info.param.name;
    }
};
