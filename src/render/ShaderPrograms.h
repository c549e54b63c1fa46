#pragma once
// The game's eleven GLSL programs: each is "shaders/<name>.vert" and, optionally, ".frag",
// compiled with the table's defines. The game loads them at start-up in this order and hands
// them out by id.

#include <cstddef>

enum class ShaderId {
    TexturePhong,      // lit and textured
    TexturePhongProj,  // the same with the power-ups' projected markers
    Simple,            // coloured lines: gizmos, the line buffer, the physics view
    Texture,           // textured, unlit
    Sun,               // the sun sprite
    BumpPhong,         // lit with a normal map
    BumpPhongProj,     // the same with the projected markers
    Cube,              // the sky box
    Ortho,             // pictures and the HUD
    Transform,         // depth only: the shadow pass and the visibility queries
    TexturePhongCheap, // TexturePhong with a smaller shadow filter and no highlight (low quality)
};

struct ShaderProgramEntry {
    ShaderId id;
    const char* name;
    const char* defines = "";  // "#define" lines put after the "#version" line of each stage
};

inline constexpr ShaderProgramEntry kShaderPrograms[] = {
    {ShaderId::TexturePhong, "textureshaderphong"},
    {ShaderId::TexturePhongProj, "textureshaderphongproj"},
    {ShaderId::Simple, "simpleshader"},
    {ShaderId::Texture, "textureshader"},
    {ShaderId::Sun, "sunshader"},
    {ShaderId::BumpPhong, "bumpshaderphong"},
    {ShaderId::BumpPhongProj, "bumpshaderphongproj"},
    {ShaderId::Cube, "cubeshader"},
    {ShaderId::Ortho, "orthoshader"},
    {ShaderId::Transform, "transformshader"},
    {ShaderId::TexturePhongCheap, "textureshaderphong", "#define CHEAP_LIGHTING\n"},
};
inline constexpr size_t kShaderProgramCount = sizeof(kShaderPrograms) / sizeof(kShaderPrograms[0]);

// The table is indexed by id.
constexpr bool ShaderTableInIdOrder() {
    for (size_t i = 0; i < kShaderProgramCount; ++i)
        if (static_cast<size_t>(kShaderPrograms[i].id) != i) return false;
    return true;
}
static_assert(ShaderTableInIdOrder(), "kShaderPrograms lists the programs in ShaderId order");
