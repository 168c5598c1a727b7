#pragma once

// The choices an edit is made with, as the window's two lists offer them.

// How a file is read before the Find test, from the ticks of List2.
enum class ReadStyle { WholeFile, SingleLineFile, EnumerateLines, RemoveIndentation };

// The items of List2, the options list, by index.
enum class ReadOption { SingleLineFile = 0, EnumerateLines = 1, CaseSensitive = 2, RemoveIndentation = 3, Count };

// intCompare: 0 compares exactly, 1 without regard to the case of letters.
enum class CompareMode { Exact = 0, CaseInsensitive = 1 };

// The items of List1, the mode list, by index.
enum class EditMode { Append = 0, Prepend = 1, Remove = 2, Reverse = 3, Replace = 4, Count };
