#pragma once
// What every server-loss test asks of the history at its end: each call
// ktcall reported accepted is there exactly once, in record order, which is
// also the order of arrival times.
#include "data/RecvHisTable.h"

#include <QString>
#include <gtest/gtest.h>

#include <vector>

namespace kanata::test {

inline void ExpectStoredOnceInOrder(const std::vector<RecvHisRow>& rows,
                                    const std::vector<QString>& accepted) {
    ASSERT_EQ(rows.size(), accepted.size()) << "each call exactly once";
    for (std::size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(QString::fromStdString(rows[i].SchTel), accepted[i]) << "row " << i;
        if (i > 0) {
            EXPECT_LT(rows[i - 1].RecvDateTime, rows[i].RecvDateTime) << "row " << i;
        }
    }
}

} // namespace kanata::test
