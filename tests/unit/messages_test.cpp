#include "messages/catalogue.h"

#include <gtest/gtest.h>

#include <cerrno>

namespace logk {
namespace {

TEST(Messages, CatalogueLinesAndStatusCodes) {
    struct Row {
        int number;
        const char* line;
        std::uint32_t status;
    };
    for (const Row& row : {
             Row{9, "runlib: severe (9): permission to access file denied, unit 11, file /d/f", 3221225481u},
             {22, "runlib: severe (22): input record too long, unit 11, file /d/f", 3221225494u},
             {24, "runlib: severe (24): end-of-file during read, unit 11, file /d/f", 3221225496u},
             {29, "runlib: severe (29): file not found, unit 11, file /d/f", 3221225501u},
             {30, "runlib: severe (30): open failure, unit 11, file /d/f", 3221225502u},
             {38, "runlib: severe (38): error during write, unit 11, file /d/f", 3221225510u},
             {39, "runlib: severe (39): error during read, unit 11, file /d/f", 3221225511u},
             {42, "runlib: severe (42): no such device, unit 11, file /d/f", 3221225514u},
             {43, "runlib: severe (43): file name specification error, unit 11, file /d/f", 3221225515u},
             {47, "runlib: severe (47): write to READONLY file, unit 11, file /d/f", 3221225519u},
             {59, "runlib: severe (59): list-directed I/O syntax error, unit 11, file /d/f", 3221225531u},
             {64, "runlib: severe (64): input conversion error, unit 11, file /d/f", 3221225536u},
         }) {
        SCOPED_TRACE(row.number);
        EXPECT_EQ(file_message_line(row.number, 11, "/d/f"), std::string(row.line) + "\n");
        EXPECT_EQ(status_code(row.number), row.status);
        EXPECT_EQ(status_code(row.number) & 0xFF, static_cast<std::uint32_t>(row.number));
    }
}

TEST(Messages, PathsAreShownVerbatim) {
    EXPECT_EQ(file_message_line(29, 12, "/a dir/100%s/PT.dat"),
              "runlib: severe (29): file not found, unit 12, file /a dir/100%s/PT.dat\n");
}

TEST(Messages, ConsoleEvents) {
    EXPECT_EQ(event_message_line("control-C"), "runlib: error (200): program aborting due to control-C event\n");
    EXPECT_EQ(event_message_line("window-CLOSE"),
              "runlib: error (200): program aborting due to window-CLOSE event\n");
    EXPECT_EQ(status_code(200), 0x800000C8u);
}

TEST(Messages, SystemErrorLine) {
    EXPECT_EQ(system_error_line(ENOENT), "runlib: No such file or directory\n");
}

TEST(Messages, OpenFailureMapping) {
    struct Row {
        int error;
        int message;
    };
    for (const Row& row : {Row{ENOENT, 29}, {ENOTDIR, 29}, {EACCES, 9}, {EPERM, 9}, {EROFS, 9},
                           {ENXIO, 42}, {ENODEV, 42}, {ENAMETOOLONG, 43}, {ELOOP, 43}, {EINVAL, 43},
                           {EMFILE, 30}, {ENFILE, 30}, {EISDIR, 30}, {EIO, 30}}) {
        SCOPED_TRACE(row.error);
        EXPECT_EQ(open_failure_message(row.error), row.message);
    }
}

}  // namespace
}  // namespace logk
