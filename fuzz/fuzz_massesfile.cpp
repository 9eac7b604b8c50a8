// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer target: the masses-file reader. Whatever the bytes, reading them is safe; a file it
// reads into a library that may be saved (every name fits the file) saves and reopens to the
// same library, and saving that gives the same bytes again.

#include "fuzz/fuzzcheck.h"
#include "library/massesfile.h"
#include "library/namerules.h"

#include <cstdint>

namespace
{

bool sameLibrary(const MassLibrary &a, const MassLibrary &b)
{
    if (a.massNames() != b.massNames() || a.layerTotal() != b.layerTotal())
        return false;
    for (int m = 0; m < a.massCount(); ++m) {
        if (a.layerNames(m) != b.layerNames(m))
            return false;
    }
    for (int r = 0; r < a.layerTotal(); ++r) {
        if (a.record(r)->toPayload() != b.record(r)->toPayload())
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const MassesFile::FileContents contents =
        MassesFile::Decode(QByteArrayView(reinterpret_cast<const char *>(data), qsizetype(size)));
    if (contents.error != MassesFile::ReadError::None)
        return 0;
    MassLibrary read;
    MassesFile::Open(read, contents);
    if (!CheckLibraryNames(read).isEmpty())
        return 0; // saving refuses it: nothing to compare
    const QByteArray saved = MassesFile::Encode(read);
    MassLibrary reopened;
    const MassesFile::FileContents again = MassesFile::Decode(saved);
    Require(again.error == MassesFile::ReadError::None && again.unreadable.isEmpty(),
            "a saved file reads back whole");
    MassesFile::Open(reopened, again);
    Require(sameLibrary(read, reopened), "a saved library reopens the same");
    Require(MassesFile::Encode(reopened) == saved, "saving it again gives the same bytes");
    return 0;
}
