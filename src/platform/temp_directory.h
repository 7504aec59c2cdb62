// The per-run temporary folder: "kf_ttt_<n>" under $TMPDIR (default /tmp), made at start-up and
// removed with its contents at shut-down. Its numbers come from the shared random generator.
#pragma once

#include <optional>
#include <string>
#include <string_view>

// Takes the base folder from $TMPDIR, else /tmp, and makes the per-run folder.
void File_InitTempDirectory();

// Draws numbers 0..99999 until "<base>/kf_ttt_<n>" is a new folder and makes it. A folder that
// cannot be made leaves the temporary folder unset.
void File_MakeTempDirectory();

// The per-run folder; absent when none was made.
std::optional<std::string> File_GetTempDirectory();

// "<folder>/a<n><extension>" with n drawn 0..99999 until no plain file has that name; absent
// without a per-run folder.
std::optional<std::string> File_MakeTempFileName(std::string_view extension);

// Deletes the per-run folder's tree (it is made again empty).
void File_ClearTempDirectory();

// Deletes the per-run folder with its contents (shut-down).
void File_RemoveTempDirectory();
