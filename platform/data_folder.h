// Where the show reads its data set: one folder. Without one named on the command line it is
// "data" under the working directory; only where that does not exist, "data" beside the
// executable, then the installed data set where the build names one (SHOW_INSTALLED_DATA_DIR).
// Every data file is opened through dataPath, so the messages that name a file keep the
// "data/<file>" form with the default folder ("data\<file>" on Windows).
#pragma once

// Null or "" looks for the default folder as above (the working directory's "data" when none
// of them exists); a name is taken as it is, trailing separators dropped.
void setDataFolder(const char* folder);
const char* dataFolder();
const char* dataPath(const char* file);   // "<folder>/<file>", valid until the next call
int dataFolderExists();                   // 1 when the folder is a directory that can be read
// When the folder is missing: one line on stderr, "<program>: no data set in <folder>: ...",
// naming the folder looked in (absolute) and --data, and 1; 0 when it exists.
int reportMissingDataFolder(const char* program);
