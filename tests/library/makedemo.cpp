// SPDX-License-Identifier: GPL-3.0-or-later
// Writes the sample library to the path given (examples/demo.zkv in the source tree):
//   zkv-make-demo <path>
#include "library/massesfile.h"
#include "tests/library/demolibrary.h"

#include <QCoreApplication>
#include <QTextStream>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTextStream err(stderr);
    const QStringList args = app.arguments();
    if (args.size() != 2) {
        err << "usage: zkv-make-demo <file.zkv>\n";
        return 2;
    }
    const MassesFile::SaveResult result = MassesFile::Save(DemoLibrary(), args[1]);
    if (!result.saved) {
        for (const NameProblem &problem : result.nameProblems)
            err << NameProblemText(problem, 1) << '\n';
        err << args[1] << ": " << result.error << '\n';
        return 1;
    }
    return 0;
}
