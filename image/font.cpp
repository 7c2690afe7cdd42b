#include "image/font.h"

static FT_Library g_library = nullptr;

FT_Library fontLibrary() { return g_library; }

void initFontLibrary() {
    if (!g_library) FT_Init_FreeType(&g_library);
}

FontNode* openDefaultFont(FontList& list) {
    FontNode* node = new FontNode;
    node->previous = list.tail;
    if (list.tail)
        list.tail->next = node;
    else
        list.head = node;
    list.tail = node;
    ++list.count;
    if (g_library && FT_New_Face(g_library, "data/arial.ttf", 0, &node->face) != 0) node->face = nullptr;
    return node;
}

void deleteFontNodes(FontList& list) {
    FontNode* node = list.head;
    while (node) {
        FontNode* next = node->next;
        delete node;
        node = next;
    }
    list = FontList{};
}
