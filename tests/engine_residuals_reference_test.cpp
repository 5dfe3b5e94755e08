// Adjusted residuals and marks of the residuals window checked against values computed by
// an independent statistics package for 300 random tables (tests/data/adjusted_residuals.txt).

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>

#include "engine/workflow.h"
#include "tests/check.h"

namespace tomokari {
namespace {

// Each line: "rows columns | observed values row by row | adjusted residual texts row by row",
// the texts without the blank that stands before a value that is not negative.
TEST(ResidualReference, AdjustedTextsAndMarksMatchAnIndependentComputation) {
    std::ifstream in(TOMOKARI_RESIDUAL_REFERENCE_FILE);
    int lineNumber = 0, cellsChecked = 0;
    for (std::string line; std::getline(in, line);) {
        ++lineNumber;
        if (line.empty() || line.front() == '#') continue;
        std::replace(line.begin(), line.end(), '|', ' ');
        std::istringstream fields(line);
        int rows = 0, columns = 0;
        fields >> rows >> columns;
        Workflow workflow(shippedTables());
        workflow.type("Text12", std::to_string(rows));
        workflow.type("Text13", std::to_string(columns));
        workflow.press("Command1");
        for (int k = 0; k < rows * columns; ++k) {
            std::string observed;
            fields >> observed;
            workflow.type(indexedName("mat1", cellIndex(k / columns + 1, k % columns + 1)), observed);
        }
        for (const char* step : {"Command7", "Command5", "Command3"}) workflow.press(step);
        ASSERT_TRUE(workflow.view().messages.empty()) << "line " << lineNumber;
        for (int k = 0; k < rows * columns; ++k) {
            std::string adjusted;
            ASSERT_TRUE(fields >> adjusted) << "line " << lineNumber << ": too few residuals";
            const std::string box = workflow.control(WindowId::Residuals, indexedName("mat1", cellIndex(k / columns + 1, k % columns + 1))).text;
            EXPECT_EQ(box.substr(box.rfind('\n') + 1), adjusted.front() == '-' ? adjusted : " " + adjusted)
                << "line " << lineNumber << ", cell " << k + 1;
            ++cellsChecked;
        }
    }
    EXPECT_GT(cellsChecked, 1200);
}

}  // namespace
}  // namespace tomokari
