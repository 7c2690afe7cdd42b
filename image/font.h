// The FreeType library handle and the list of opened font faces. Start-up
// opens one face, "data/arial.ttf"; no glyph is ever loaded.
#pragma once

#include <cstdint>

#include <ft2build.h>
#include FT_FREETYPE_H

struct FontNode {
    FontNode* next = nullptr;
    FontNode* previous = nullptr;
    FT_Face face = nullptr;  // null when the file could not be opened
};

struct FontList {
    FontNode* head = nullptr;
    FontNode* tail = nullptr;
    int32_t count = 0;
};

// The process-wide library; null until initFontLibrary.
FT_Library fontLibrary();
void initFontLibrary();
// Appends a node and opens "data/arial.ttf", face 0, into it. A missing or
// unreadable file leaves the face null; the node is added all the same.
FontNode* openDefaultFont(FontList& list);
// Deletes every node from the head (faces are not closed); the list becomes empty.
void deleteFontNodes(FontList& list);
