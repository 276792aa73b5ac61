// Finding the row of a status table by the check box it is shown in, for constants.
#pragma once

#include <array>
#include <cstddef>

namespace kestrel {

// An id no row has does not compile.
template <typename Row, size_t N>
consteval const Row& RowForCheckBox(const std::array<Row, N>& table, int checkBoxId) {
    for (const Row& row : table) {
        if (row.checkBoxId == checkBoxId) {
            return row;
        }
    }
    throw "no row of the table is shown in this check box";
}

}  // namespace kestrel
