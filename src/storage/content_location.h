#pragma once
// Which board content file the programs use. Two layouts:
//   portable  - a VorFjp.ini beside the executable, in a folder the user may write: used in place;
//   installed - otherwise the file is per user, <data home>/VorFJP/VorFjp.ini, created at the first
//               start as a byte-exact copy of the template installed with the program
//               (<program dir>/../share/vorfjp/VorFjp.ini).
// Every program that reads or writes the content calls contentFileInUse(), so they agree.
#include <QString>

#include <optional>

namespace storage {

enum class ContentLayout { Portable, PerUser };

// What the file system shows about the places the content file may come from.
struct ContentFacts {
    bool programDirWritable = false;
    bool fileBesideProgram = false; // a regular VorFjp.ini beside the executable
    bool perUserFileExists = false;
    bool installedTemplateExists = false;
};

struct ContentPlaces {
    QString programDir;
    QString dataHome; // $XDG_DATA_HOME, or ~/.local/share
};

struct ContentChoice {
    ContentLayout layout = ContentLayout::Portable;
    QString path;         // the file that is read at start-up and rewritten after sends
    QString templatePath; // per user, when the file does not exist yet: what it is copied from
};

QString besideProgramPath(const ContentPlaces& places);
QString installedTemplatePath(const ContentPlaces& places);
QString perUserPath(const ContentPlaces& places);

// The decision alone, from facts gathered elsewhere. A per-user file that already exists needs no
// template; when none exists and no template is installed, a file beside a read-only program
// folder stands in as the template.
ContentChoice chooseContentFile(const ContentPlaces& places, const ContentFacts& facts);

// Looks at the file system for the places.
ContentFacts gatherContentFacts(const ContentPlaces& places);

struct ContentFileResult {
    std::optional<QString> path;
    QString error; // Chinese: what failed, naming the file and the template, and what to do
};

// Copies the template byte for byte to `target`, creating its folder. Never replaces a file that
// exists at `target`, also one that appears while copying; a failed copy leaves no partial file.
ContentFileResult createFromTemplate(const QString& templatePath, const QString& target);

// The content file for a program started from programDir: chosen, and created from the template
// when the per-user file does not exist yet.
ContentFileResult contentFileInUse(const ContentPlaces& places);
ContentFileResult contentFileInUse(const QString& programDir); // with the user's data home

} // namespace storage
