// Writes PNG pictures of every image a prepared card holds for the
// display: folder and track titles, index entries, menus, messages and
// characters.
#pragma once

#include "view/card_reader.h"

// Writes the pictures of a card that ReadCard has read into the host
// folder dir, which must exist. Files:
//   folder-RRR.png, folder-RRR-strip.png (model 8)       row RRR's title
//   folder-RRR-track-TT.png, ...-track-TT-strip.png      track TT of row RRR
//   index-group-GG.png, index-folder-FFF.png             INDEX10.DAT entries
//   menu-B.png, characters.png, message-M.png
// Returns the number written, or -1 after a console line when one could
// not be written.
int WriteCardPictures(CardContents& card, const char* dir);
