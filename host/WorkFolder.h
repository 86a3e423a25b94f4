#pragma once
// Where the working files go, decided from facts the host gathers: no system call here, so each
// layout can be tried without building it.
#include <QString>

namespace host {

struct WorkFolderFacts {
    QString appFolder;                 // the program's folder
    bool packageLibraryFolder = false; // ../lib/lumo-razazu exists beside it: a package or an install
    bool appFolderWritable = false;    // a file could really be made in the program's folder
    QString dataHome;                  // the user's data folder (see xdgDataHome); empty when unknown
    QString dataFolderName = QStringLiteral("lumo-razazu"); // the tool's folder in it
};

struct WorkFolderChoice {
    QString folder;             // empty: no folder can serve
    bool ownDataFolder = false; // the tool's own folder in the user's data, made private when missing
};

// An installed program's folder is the system's, even for root who could write there; a build or
// copied folder serves when a file can be made there; else the tool's folder in the user's data.
WorkFolderChoice chooseWorkFolder(const WorkFolderFacts& facts);

// XDG_DATA_HOME when it is an absolute path (a relative one is ignored, as the XDG rules say),
// else home/.local/share; empty when home is no absolute path either.
QString xdgDataHome(const QString& home, const QString& xdgDataHomeVariable);

} // namespace host
