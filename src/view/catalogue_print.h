// Prints what a prepared card holds, as a person reads it: the folder tree
// with titles and track counts, each folder's tracks, the random play
// chain, the index groups and the display images the card carries.
#pragma once

#include "view/card_reader.h"

// Prints the catalogue of a card that ReadCard has read. Reads each
// folder's track list and volume files on the way (into card.tracks);
// what does not hold together there goes to problems.
void PrintCatalogue(CardContents& card, ProblemList& problems);

// Prints the problem lines, each as "error: ...", and a count of those
// not kept.
void PrintProblems(const ProblemList& problems);

// Copies card text for printing, control bytes shown as '?' (size > 0).
void PrintableText(const char* text, char* out, int size);
