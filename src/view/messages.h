// The lines cardprep-view prints about card files that do not hold
// together. Each names the file first; paths and titles inside them are
// code page 932 as read from the card.
#pragma once

// Any file.
constexpr char kMsgNotFound[] = "%s: not found";
constexpr char kMsgCannotRead[] = "%s: cannot be read at byte %ld";
constexpr char kMsgNotWholeRecords[] = "%s: size %ld is not a whole number of %d-byte records";
constexpr char kMsgWrongSize[] = "%s: size %ld, expected %d";

// The folder list.
constexpr char kMsgNoRootRecord[] =
    "%s: size %ld, too short for the header and the root record (%d bytes each)";
constexpr char kMsgTooManyRows[] =
    "%s: holds %d rows, more than the %d a card can have; the first %d are read";
constexpr char kMsgHeaderRows[] = "%s: the header counts %d rows but the file holds %d";
constexpr char kMsgHeaderRandom[] =
    "%s: the header counts %d folders with tracks but %d rows have tracks";
constexpr char kMsgRootLinks[] =
    "%s: the root's parent and grandparent links are %d and %d, not 1 and 1";
constexpr char kMsgParentOutside[] = "%s: row %d (%s): parent link %d is outside records 1..%d";
constexpr char kMsgGrandparent[] =
    "%s: row %d (%s): grandparent link %d differs from its parent's parent link %d";
constexpr char kMsgChildCount[] =
    "%s: row %d (%s): subfolder count %d, but %d row(s) name it as parent";
constexpr char kMsgFirstChildOutside[] =
    "%s: row %d (%s): first-child link %d and subfolder count %d reach outside records 2..%d";
constexpr char kMsgChildBlock[] =
    "%s: row %d (%s): record %d of its subfolder block names record %d as parent";
constexpr char kMsgParentLoop[] = "%s: row %d (%s): its parent links loop and never reach the root";
constexpr char kMsgPathField[] =
    "%s: row %d: path field is not a card folder path (length byte %d)";

// The random play chain and the history file.
constexpr char kMsgChainStartOutside[] = "%s: the root's random link %d is outside rows 1..%d";
constexpr char kMsgChainMissingStart[] =
    "%s: the root's random link is 0 although %d folders hold tracks";
constexpr char kMsgChainLinkOutside[] = "%s: row %d (%s): random link %d is outside rows 1..%d";
constexpr char kMsgChainEnds[] =
    "%s: row %d (%s): random link is 0, so the chain ends without returning to its first folder";
constexpr char kMsgChainLoops[] =
    "%s: row %d (%s): random link %d leads back into the chain, not to its first folder (row %d): "
    "the chain loops";
constexpr char kMsgChainNoTracks[] = "%s: row %d (%s) is on the random chain but holds no tracks";
constexpr char kMsgChainMissing[] = "%s: row %d (%s) holds tracks but is not on the random chain";
constexpr char kMsgChainStray[] = "%s: row %d (%s) is not on the random chain but links to row %d";
constexpr char kMsgHistoryBytes[] = "HIST04.DAT: bytes 0..7 are not FF FF FF FF 00 00 00 00";
constexpr char kMsgHistoryStart[] =
    "HIST04.DAT: random play starts at row %d, but the folder list's chain starts at row %d";

// Track lists and volume files.
constexpr char kMsgTrackCount[] = "%s: record count %d, but the folder list's track count is %d";
constexpr char kMsgTooManyTracks[] = "%s: record count %d, more than %d; the first %d are read";
constexpr char kMsgNoVolume[] = "%s: not found (track count %d)";

// The index.
constexpr char kMsgIndexTooShort[] =
    "INDEX10.DAT: size %ld, too short for the header and the top record";
constexpr char kMsgIndexEntries[] =
    "INDEX10.DAT: the header counts %d entries (%d folders) but the file holds %d records after "
    "the top record";
constexpr char kMsgIndexTooManyGroups[] = "INDEX10.DAT: %d groups, more than %d";
constexpr char kMsgIndexTop[] =
    "INDEX10.DAT: the top record links to record %d with %d groups, not to record 2 with %d";
constexpr char kMsgIndexGroupRange[] =
    "INDEX10.DAT: group %d (%s): folders %d..%d are outside the %d folder records";
constexpr char kMsgIndexGroupGap[] =
    "INDEX10.DAT: group %d (%s): first folder %d, but the groups before it hold %d folders";
constexpr char kMsgIndexGroupLink[] =
    "INDEX10.DAT: group %d (%s): links to record %d, not to its first folder's record %d";
constexpr char kMsgIndexGroupTotal[] =
    "INDEX10.DAT: the groups hold %d folders but the file has %d folder records";
constexpr char kMsgIndexFolderGroup[] =
    "INDEX10.DAT: folder entry %d (%s): group number %d, expected %d";
constexpr char kMsgIndexUnknownFolder[] =
    "INDEX10.DAT: folder entry %d names %s, which the folder list does not hold";
constexpr char kMsgIndexTrackCount[] =
    "INDEX10.DAT: folder entry %d (%s): track count %d, the folder list's %d";
constexpr char kMsgIndexFolderCount[] =
    "INDEX10.DAT: lists %d folders with tracks, the folder list %d";

// Display resources.
constexpr char kMsgCharacterSize[] =
    "CHRIMG10.DAT: size %ld, expected an even number of at most %d";
