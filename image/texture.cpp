#include "image/texture.h"

#include <climits>
#include <cstring>

#include "gpu/gl_state_cache.h"
#include "gpu/gl_textures.h"

// The shared texture list: appended at the tail, never shrinks.
static Texture* g_head = nullptr;
static Texture* g_tail = nullptr;
static int g_count = 0;

// Paths are handled up to this many bytes; longer ones are not decoded.
static const size_t kMaxPathBytes = 2051;

Texture* textureListHead() { return g_head; }
int textureListCount() { return g_count; }

Texture* createTexture() {
    Texture* texture = new Texture;
    texture->image = new Image;
    return texture;
}

Texture* findTexture(const char* path) {
    for (Texture* texture = g_head; texture; texture = texture->next)
        if (texture->path == path) return texture;
    return nullptr;
}

Texture* loadTexture(const char* path) {
    if (!path) path = "";
    Texture* texture = findTexture(path);
    if (!texture) {
        texture = createTexture();
        if (g_tail)
            g_tail->next = texture;
        else
            g_head = texture;
        g_tail = texture;
        ++g_count;
        // A path too long for the original 2052-byte buffer is neither
        // truncated (that could open another file) nor decoded: the texture
        // stays empty, as for a missing file, keyed by the whole path.
        if (std::strlen(path) <= kMaxPathBytes) loadImage(*texture->image, path);
        createGlTexture(texture, 1, 1);
        texture->path = path;
    }
    ++texture->refCount;
    return texture;
}

// True when every texel the upload reads has alpha 255.
static bool everyTexelOpaque(const Image& image) {
    const long long texels = (long long)image.width * image.height;
    if (!image.pixels || texels <= 0 || texels * 4 > image.byteSize) return false;
    for (long long i = 0; i < texels; ++i)
        if (image.pixels[4 * i + 3] != 255) return false;
    return true;
}

static void uploadPixels(Texture* texture) {
    const Image& image = *texture->image;
    uploadTextureImage(image.width, image.height, image.pixelOrder == 1, image.pixels);
    texture->opaque = everyTexelOpaque(image);
}

int createGlTexture(Texture* texture, int minFilter, int magFilter) {
    texture->glName = int(createTextureObject(minFilter, magFilter));
    const Image& image = *texture->image;
    texture->opaque = false;
    if (image.width >= 1 && image.height >= 1) uploadPixels(texture);
    return texture->glName;
}

void bindTexture(Texture* texture, int unit) {
    // A texture without a GL object yet binds nothing (name 0), never name -1.
    if (!texture || texture->glName == -1) {
        bindTextureName(unit, 0);
        return;
    }
    bindTextureName(unit, uint32_t(texture->glName));
    if (texture->needsUpload) {
        texture->needsUpload = false;
        uploadPixels(texture);
    }
}

void createBlank(Texture* texture, int pixelOrder, int width, int height, int minFilter, int magFilter) {
    Image& image = *texture->image;
    image.clear();
    // A size whose bytes do not fit the 32-bit byteSize becomes an empty image.
    if (width > 0 && height > 0 && (long long)width * height <= INT_MAX / 4) {
        image.width = width;
        image.height = height;
        image.stride = width * 4;
        image.byteSize = width * 4 * height;
        image.pixels = new unsigned char[image.byteSize]();
    }
    image.pixelOrder = pixelOrder;
    image.bitsPerPixel = 32;
    if (texture->glName == -1) {
        createGlTexture(texture, minFilter, magFilter);
        texture->needsUpload = false;
    } else {
        texture->needsUpload = true;
    }
}

void reloadFromFile(Texture* texture, const char* path) {
    loadImage(*texture->image, path);
    if (texture->glName == -1) {
        createGlTexture(texture, 1, 1);
        texture->needsUpload = false;
    } else {
        texture->needsUpload = true;
    }
}

void destroyTexture(Texture* texture) {
    if (texture->glName != -1) {
        deleteTextureObject(uint32_t(texture->glName));
        texture->glName = -1;
    }
    delete texture->image;
    texture->image = nullptr;
}
