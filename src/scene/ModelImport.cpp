#include "scene/ModelImport.h"

#include <assimp/Importer.hpp>
#include <assimp/config.h>
#include <assimp/material.h>
#include <assimp/scene.h>

#include <algorithm>
#include <fstream>
#include <iostream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "scene/SceneGeoObject.h"

namespace {

// One tag of an XML text: its name and its attributes as written (first of each name, no
// entities decoded), and whether it closes an element or is one on its own.
struct XmlTag {
    std::string name;
    std::map<std::string, std::string> attributes;
    bool closing = false;
    bool selfClosing = false;
};

// Calls `visit` for every tag of `text`, in order, with the offset just past the tag's '>', until
// `visit` returns false. A rough scan that knows tags, quoted attribute values, comments, CDATA
// and processing instructions, which is all the checks below need: the importer refuses (or
// chokes on) anything stranger anyway.
template <typename Visit>
void ForEachXmlTag(const std::string& text, Visit visit) {
    size_t at = 0;
    while ((at = text.find('<', at)) != std::string::npos) {
        if (text.compare(at, 4, "<!--") == 0) {
            at = text.find("-->", at);
        } else if (text.compare(at, 9, "<![CDATA[") == 0) {
            at = text.find("]]>", at);
        } else if (text.compare(at, 2, "<?") == 0 || text.compare(at, 2, "<!") == 0) {
            at = text.find('>', at);
        } else {
            XmlTag tag;
            size_t end = at + 1;
            if (end < text.size() && text[end] == '/') {
                tag.closing = true;
                ++end;
            }
            auto isSpace = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; };
            const size_t nameStart = end;
            while (end < text.size() && !isSpace(text[end]) && text[end] != '>' && text[end] != '/') ++end;
            tag.name = text.substr(nameStart, end - nameStart);
            // Attributes: name, '=', a quoted value; anything else is skipped a character at a time.
            while (end < text.size() && text[end] != '>') {
                if (text[end] == '/') {
                    tag.selfClosing = true;
                    ++end;
                    continue;
                }
                tag.selfClosing = false;
                if (isSpace(text[end])) {
                    ++end;
                    continue;
                }
                const size_t keyStart = end;
                while (end < text.size() && !isSpace(text[end]) && text[end] != '=' && text[end] != '>' &&
                       text[end] != '/' && text[end] != '"' && text[end] != '\'')
                    ++end;
                const std::string key = text.substr(keyStart, end - keyStart);
                while (end < text.size() && isSpace(text[end])) ++end;
                if (end >= text.size() || text[end] != '=') {
                    if (key.empty()) ++end;  // a stray quote
                    continue;
                }
                ++end;
                while (end < text.size() && isSpace(text[end])) ++end;
                if (end >= text.size() || (text[end] != '"' && text[end] != '\'')) continue;
                const size_t close = text.find(text[end], end + 1);
                if (close == std::string::npos) return;
                tag.attributes.emplace(key, text.substr(end + 1, close - end - 1));
                end = close + 1;
            }
            if (end >= text.size()) return;
            if (!visit(tag, end + 1)) return;
            at = end;
        }
        if (at == std::string::npos) return;
        ++at;
    }
}

// Deepest element nesting of an XML text, to tell absurd nesting from real files. Stops counting
// once past `limit`.
int XmlNesting(const std::string& text, int limit) {
    int depth = 0, deepest = 0;
    ForEachXmlTag(text, [&](const XmlTag& tag, size_t) {
        if (tag.closing) {
            --depth;
        } else if (!tag.selfClosing) {
            deepest = std::max(deepest, ++depth);
        }
        return deepest <= limit;
    });
    return deepest;
}

// A count as the importer must read it: plain decimal digits, below 2^32. Anything else (a
// sign, spaces, entities, hex) is refused rather than guessed at.
bool PlainCount(const std::map<std::string, std::string>& attributes, const char* key, uint64_t fallback,
                uint64_t& value) {
    const auto found = attributes.find(key);
    if (found == attributes.end()) {
        value = fallback;
        return true;
    }
    const std::string& text = found->second;
    if (text.empty() || text.size() > 10) return false;
    value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + static_cast<uint64_t>(c - '0');
    }
    return value <= 0xFFFFFFFFull;
}

// True when the text of an index list (from `at` up to its closing tag) holds only what the
// importer's number reader steps over: digits, signs and white space. On anything else it stops
// without moving and reads the same empty number forever, filling memory.
bool PlainIndexList(const std::string& text, size_t at) {
    for (; at < text.size(); ++at) {
        const char c = text[at];
        if (c == '<') return text.compare(at, 2, "</") == 0;
        // Exactly the white space the importer skips between numbers: not '\f' or '\v'.
        if (!((c >= '0' && c <= '9') || c == '-' || c == '+' || c == ' ' || c == '\t' || c == '\n' || c == '\r'))
            return false;
    }
    return true;
}

// Why Assimp 5.2 would crash, hang or read memory it does not own on this Collada text, or an
// empty text. It trusts an <accessor> to fit the array it names: one that asks for more values
// than the array's "count" holds (a count of 0, a missing one, an accessor count too large) is
// read past the array's end, and an empty array through a null pointer. It reserves memory for
// whatever count an element claims. It loops forever on an index list (<p>, <vcount>, <v>, <h>)
// with anything but numbers in it.
std::string ColladaAccessorFault(const std::string& text) {
    struct Accessor {
        std::string source;
        uint64_t count = 0, stride = 1, offset = 0, params = 0;
    };
    std::map<std::string, uint64_t> arrays;  // the smallest count of each id
    std::vector<Accessor> accessors;
    std::string fault;
    bool inAccessor = false;
    ForEachXmlTag(text, [&](const XmlTag& tag, size_t content) {
        if (tag.closing) {
            if (tag.name == "accessor") inAccessor = false;
            return true;
        }
        uint64_t claimed = 0;
        if (PlainCount(tag.attributes, "count", 0, claimed) && claimed > text.size()) {
            fault = "<" + tag.name + "> claims a count of " + std::to_string(claimed) +
                    ", more than the file could hold";
            return false;
        }
        if ((tag.name == "p" || tag.name == "vcount" || tag.name == "v" || tag.name == "h") && !tag.selfClosing &&
            !PlainIndexList(text, content)) {
            fault = "an index list <" + tag.name + "> holds something other than numbers";
            return false;
        }
        if (tag.name == "float_array" || tag.name == "Name_array" || tag.name == "IDREF_array") {
            const auto id = tag.attributes.find("id");
            uint64_t count = 0;
            if (!PlainCount(tag.attributes, "count", 0, count)) {
                fault = "the count of data array '" + (id != tag.attributes.end() ? id->second : "") +
                        "' is not a plain number";
                return false;
            }
            const std::string key = id != tag.attributes.end() ? id->second : "";
            const auto known = arrays.find(key);
            if (known == arrays.end() || count < known->second) arrays[key] = count;
        } else if (tag.name == "accessor") {
            Accessor accessor;
            const auto source = tag.attributes.find("source");
            if (source != tag.attributes.end()) accessor.source = source->second;
            if (!PlainCount(tag.attributes, "count", 0, accessor.count) ||
                !PlainCount(tag.attributes, "stride", 1, accessor.stride) ||
                !PlainCount(tag.attributes, "offset", 0, accessor.offset)) {
                fault = "an accessor of '" + accessor.source +
                        "' has a count, stride or offset that is not a plain number";
                return false;
            }
            accessors.push_back(accessor);
            inAccessor = !tag.selfClosing;
        } else if (tag.name == "param" && inAccessor && !accessors.empty()) {
            ++accessors.back().params;
        }
        return true;
    });
    if (!fault.empty()) return fault;
    for (const Accessor& accessor : accessors) {
        if (accessor.count == 0 || accessor.source.empty() || accessor.source[0] != '#') continue;
        const auto array = arrays.find(accessor.source.substr(1));
        if (array == arrays.end()) continue;  // the importer refuses a reference it cannot resolve
        // The last value read: the last element's start plus its last component.
        const uint64_t needed = accessor.offset + (accessor.count - 1) * accessor.stride +
                                std::max<uint64_t>(1, std::min<uint64_t>(accessor.params, 0xFFFFFFFFull));
        if (needed > array->second)
            return "an accessor reads " + std::to_string(needed) + " values from data array '" + array->first +
                   "', which holds " + std::to_string(array->second);
    }
    return std::string();
}

}  // namespace

const aiScene* ImportCollada(Assimp::Importer& importer, const std::string& path, unsigned int flags,
                             std::string* error) {
    std::ifstream file(path, std::ios::binary);
    if (file) {
        const std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        if (XmlNesting(text, kMaxColladaNesting) > kMaxColladaNesting) {
            if (error) *error = "elements nested deeper than " + std::to_string(kMaxColladaNesting) + " levels";
            return nullptr;
        }
        const std::string fault = ColladaAccessorFault(text);
        if (!fault.empty()) {
            if (error) *error = fault;
            return nullptr;
        }
    }
    importer.SetPropertyBool(AI_CONFIG_IMPORT_COLLADA_USE_COLLADA_NAMES, true);
    const aiScene* scene = importer.ReadFile(path, flags);
    if (!scene && error) *error = importer.GetErrorString();
    return scene;
}

std::unique_ptr<CSceneObject> CreateNodeObject(const aiNode* node, const aiScene* scene) {
    // Assimp's matrices are row-major; Mat4 is column-major.
    Mat4 transform;
    for (int row = 0; row < 4; ++row)
        for (int col = 0; col < 4; ++col) transform.At(row, col) = node->mTransformation[row][col];
    const std::string name = node->mName.C_Str();

    if (node->mNumMeshes == 0) return std::make_unique<CSceneObject>(transform, name);

    std::vector<CMesh*> meshes = CreateNodeMeshes(node, scene, true);
    // The object owns the list, not the meshes: they are handed to whoever owns the tree.
    return std::make_unique<CSceneGeoObject>(std::move(meshes), transform, name, Vec3(0, 0, 0));
}

std::vector<CMesh*> CreateNodeMeshes(const aiNode* node, const aiScene* scene, bool withMaterials) {
    const std::string name = node->mName.C_Str();
    std::vector<CMesh*> meshes;
    meshes.reserve(node->mNumMeshes);
    for (unsigned int i = 0; i < node->mNumMeshes; ++i) {
        const unsigned int index = node->mMeshes[i];
        if (index >= scene->mNumMeshes || !scene->mMeshes[index]) {
            std::cerr << "WARNING: Node '" << name << "' refers to a mesh the file does not have, skipping it"
                      << std::endl;
            continue;
        }
        const aiMesh* imported = scene->mMeshes[index];
        std::unique_ptr<CMesh> mesh = CreateMesh(imported);
        if (mesh->faceCount == 0) {
            // Nothing to draw, and an empty triangle shape would trouble the physics.
            std::cerr << "WARNING: Mesh '" << imported->mName.C_Str() << "' of node '" << name
                      << "' has no triangles, skipping it" << std::endl;
            continue;
        }
        if (withMaterials && imported->mMaterialIndex < scene->mNumMaterials)
            ReadMaterial(scene->mMaterials[imported->mMaterialIndex], mesh->material);
        meshes.push_back(mesh.release());
    }
    return meshes;
}

std::unique_ptr<CMesh> CreateMesh(const aiMesh* imported) {
    auto mesh = std::make_unique<CMesh>();
    mesh->vertexCount = imported->mNumVertices;
    mesh->materialIndex = imported->mMaterialIndex;

    mesh->vertices = new Vertex[mesh->vertexCount]();
    const bool hasPositions = imported->HasPositions();
    const bool hasNormals = imported->HasNormals();
    const bool hasTangents = imported->HasTangentsAndBitangents();
    const bool hasTexCoords = imported->HasTextureCoords(0);
    for (uint32_t i = 0; i < mesh->vertexCount; ++i) {
        Vertex& v = mesh->vertices[i];
        if (hasPositions) {
            const aiVector3D& p = imported->mVertices[i];
            v.position[0] = p.x; v.position[1] = p.y; v.position[2] = p.z;
        }
        if (hasNormals) {
            const aiVector3D& n = imported->mNormals[i];
            v.normal[0] = n.x; v.normal[1] = n.y; v.normal[2] = n.z;
        }
        if (hasTangents) {
            const aiVector3D& t = imported->mTangents[i];
            const aiVector3D& b = imported->mBitangents[i];
            v.tangent[0] = t.x; v.tangent[1] = t.y; v.tangent[2] = t.z;
            v.bitangent[0] = b.x; v.bitangent[1] = b.y; v.bitangent[2] = b.z;
        }
        if (hasTexCoords) {
            const aiVector3D& uv = imported->mTextureCoords[0][i];
            v.tex[0] = uv.x; v.tex[1] = uv.y;
        }
    }

    // Triangulation leaves points and lines as faces of one or two indices; reading three from
    // them would run past the face.
    mesh->indices = new uint32_t[3 * static_cast<size_t>(imported->mNumFaces)];
    uint32_t kept = 0;
    for (unsigned int f = 0; f < imported->mNumFaces; ++f) {
        const aiFace& face = imported->mFaces[f];
        if (face.mNumIndices < 3 || face.mIndices[0] >= mesh->vertexCount || face.mIndices[1] >= mesh->vertexCount ||
            face.mIndices[2] >= mesh->vertexCount)
            continue;
        for (int k = 0; k < 3; ++k) mesh->indices[3 * kept + static_cast<uint32_t>(k)] = face.mIndices[k];
        ++kept;
    }
    if (kept < imported->mNumFaces && kept > 0)
        std::cerr << "WARNING: Mesh '" << imported->mName.C_Str() << "': " << imported->mNumFaces - kept
                  << " faces that are not triangles left out" << std::endl;
    mesh->faceCount = kept;
    mesh->indexCount = 3 * kept;
    return mesh;
}

void ReadMaterial(const aiMaterial* material, CMaterial& out) {
    int shadingModel = 0;  // no key counts as neither Phong nor Blinn
    material->Get(AI_MATKEY_SHADING_MODEL, shadingModel);
    aiString name;
    material->Get(AI_MATKEY_NAME, name);

    if (shadingModel == aiShadingMode_Blinn) {
        std::cout << "WARNING: Treating Blinn shading model as Phong..." << std::endl;
    } else if (shadingModel != aiShadingMode_Phong) {
        std::cout << "WARNING: Material '" << name.C_Str() << "' without phong or blinn info found, ignoring..."
                  << std::endl;
        return;
    }

    // A missing colour reads as black.
    auto readColour = [material](const char* key, unsigned int type, unsigned int index, float target[3]) {
        aiColor3D colour(0.0f, 0.0f, 0.0f);
        material->Get(key, type, index, colour);
        target[0] = colour.r; target[1] = colour.g; target[2] = colour.b;
    };
    readColour(AI_MATKEY_COLOR_DIFFUSE, out.diffuse);
    readColour(AI_MATKEY_COLOR_AMBIENT, out.ambient);
    readColour(AI_MATKEY_COLOR_SPECULAR, out.specular);
    material->Get(AI_MATKEY_SHININESS, out.shininess);  // a missing key keeps 128

    aiString path;
    if (material->GetTexture(aiTextureType_DIFFUSE, 0, &path) == AI_SUCCESS) {
        out.diffuseName = FileNameOf(path.C_Str());
        // The texture carries the colour; a tint would darken it.
        out.diffuse[0] = out.diffuse[1] = out.diffuse[2] = 1.0f;
    }
    if (material->GetTexture(aiTextureType_SPECULAR, 0, &path) == AI_SUCCESS) out.specularName = FileNameOf(path.C_Str());
    // A normal map, or failing that a height map in its place.
    if (material->GetTexture(aiTextureType_NORMALS, 0, &path) == AI_SUCCESS ||
        material->GetTexture(aiTextureType_HEIGHT, 0, &path) == AI_SUCCESS)
        out.normalName = FileNameOf(path.C_Str());
}

std::string FileNameOf(const std::string& path) {
    std::string::size_type cut = path.rfind('\\');
    if (cut == std::string::npos) cut = path.rfind('/');
    return cut == std::string::npos ? path : path.substr(cut + 1);
}
