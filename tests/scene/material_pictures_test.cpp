// Material pictures kept by the model loader: a file read again with the same
// bytes is copied instead of decoded, a changed file is decoded again, and
// every material owns its own pixels.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "image/texture.h"
#include "scene/model.h"
#include "scene/model_file.h"
#include "tests/support/gl_test_context.h"
#include "tests/support/scratch_dir.h"

namespace {

// An uncompressed 32-bit TGA of width x 1 pixels, every pixel (b, g, r, a).
std::string tgaRow(int width, unsigned char b, unsigned char g, unsigned char r, unsigned char a) {
    std::string bytes(18, '\0');
    bytes[2] = 2;  // true colour
    bytes[12] = (char)width;
    bytes[14] = 1;
    bytes[16] = 32;
    for (int i = 0; i < width; ++i) bytes += std::string{(char)b, (char)g, (char)r, (char)a};
    return bytes;
}

// A one-triangle model whose two nodes both name picture.
void writeModel(const std::string& path, const std::string& picture) {
    ModelFileNode node;
    node.vertices.resize(3);
    node.indices = {0, 1, 2};
    node.materials = {picture};
    ModelFileData data;
    data.nodes = {node, node};
    ASSERT_TRUE(writeModelFile(path.c_str(), data));
}

const Image& pictureOf(const Mesh* mesh) { return *mesh->part->material->textures[0]->image; }

class MaterialPictures : public GlTest {
protected:
    void SetUp() override {
        GlTest::SetUp();
        releaseMaterialPictures();
        modelPath = dir.file("model.bin");
        picturePath = dir.write("picture.tga", tgaRow(3, 10, 20, 30, 40));
        writeModel(modelPath, picturePath);
    }
    void TearDown() override { releaseMaterialPictures(); }

    ScratchDir dir;
    std::string modelPath, picturePath;
};

}  // namespace

TEST_F(MaterialPictures, MaterialsNamingOneFileGetEqualPixelsOfTheirOwn) {
    MODEL3D first, second;
    ASSERT_TRUE(loadModel(&first, modelPath.c_str()));
    ASSERT_TRUE(loadModel(&second, modelPath.c_str()));
    const Mesh* meshes[4] = {first.meshes, first.meshes->next, second.meshes, second.meshes->next};
    for (const Mesh* mesh : meshes) {
        const Image& image = pictureOf(mesh);
        ASSERT_EQ(3, image.width);
        ASSERT_EQ(1, image.height);
        ASSERT_EQ(12, image.byteSize);
        EXPECT_EQ(0, std::memcmp(image.pixels, pictureOf(meshes[0]).pixels, 12));
        if (mesh != meshes[0]) {
            EXPECT_NE(image.pixels, pictureOf(meshes[0]).pixels);
        }
    }
}

TEST_F(MaterialPictures, ChangedOrRemovedFilesAreReadAgain) {
    MODEL3D before, changed, removed;
    ASSERT_TRUE(loadModel(&before, modelPath.c_str()));

    // Same size and name, other colour: the kept picture no longer matches.
    dir.write("picture.tga", tgaRow(3, 50, 60, 70, 80));
    ASSERT_TRUE(loadModel(&changed, modelPath.c_str()));
    const Image& image = pictureOf(changed.meshes);
    ASSERT_EQ(12, image.byteSize);
    EXPECT_NE(pictureOf(before.meshes).pixels[0], image.pixels[0]);
    Image decoded;
    loadImage(decoded, picturePath.c_str());
    EXPECT_EQ(0, std::memcmp(decoded.pixels, image.pixels, 12));

    std::remove(picturePath.c_str());
    ASSERT_TRUE(loadModel(&removed, modelPath.c_str()));
    EXPECT_EQ(nullptr, pictureOf(removed.meshes).pixels);
    EXPECT_EQ(0, pictureOf(removed.meshes).width);
}
