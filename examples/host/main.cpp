// A minimal host: opens a network database and loads its cue catalogue.

#include <csqlite/Csqlite.h>
#include <pathweave/pathweave.h>

#include <iostream>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: pathweave-host NETWORK.db\n";
        return 2;
    }
    Csqlite database(argv[1]);
    if (!database.valid) {
        std::cerr << "pathweave-host: " << database.errorMessage << '\n';
        return 1;
    }

    pw::CCueCollection catalogue;
    Csqlite::CsqliteQuerySelect rows("select cue_id, cue_type, cue_arguments from cues;", database);
    if (!rows.valid) {
        std::cerr << "pathweave-host: cannot read the cues: " << rows.errorMessage << '\n';
        return 1;
    }
    while (rows.Step()) {
        catalogue.insert(rows.GetColumnAsString(0, ""), rows.GetColumnAsString(1, ""),
                         rows.GetColumnAsString(2, ""));
    }
    std::cout << "cues: " << catalogue.cues.size() << '\n';
    return 0;
}
