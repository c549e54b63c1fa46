#include "support/ColladaWriter.h"

#include <sstream>

namespace testsupport {

ColladaNode Node(const std::string& name, const std::string& mesh, float x, float y, float z) {
    ColladaNode node;
    node.id = node.name = name;
    node.mesh = mesh;
    node.matrix[3] = x;
    node.matrix[7] = y;
    node.matrix[11] = z;
    return node;
}

namespace {

void WriteFloats(std::ostringstream& out, const float* values, size_t count) {
    for (size_t i = 0; i < count; ++i) out << (i ? " " : "") << values[i];
}

void WriteSource(std::ostringstream& out, const std::string& id, const std::vector<float>& data, const char* params) {
    const std::string stride = std::to_string(std::string(params).size());
    out << "<source id=\"" << id << "\"><float_array id=\"" << id << "-array\" count=\"" << data.size() << "\">";
    WriteFloats(out, data.data(), data.size());
    out << "</float_array><technique_common><accessor source=\"#" << id << "-array\" count=\""
        << data.size() / std::string(params).size() << "\" stride=\"" << stride << "\">";
    for (const char* p = params; *p; ++p) out << "<param name=\"" << *p << "\" type=\"float\"/>";
    out << "</accessor></technique_common></source>\n";
}

void WriteColour(std::ostringstream& out, const char* element, const float rgb[3]) {
    out << "<" << element << "><color>" << rgb[0] << " " << rgb[1] << " " << rgb[2] << " 1</color></" << element
        << ">";
}

void WriteTexture(std::ostringstream& out, const char* element, const std::string& imageId) {
    out << "<" << element << "><texture texture=\"" << imageId << "-sampler\" texcoord=\"UVMap\"/></" << element << ">";
}

void WriteNode(std::ostringstream& out, const ColladaNode& node, const ColladaDocument& doc) {
    out << "<node id=\"" << node.id << "\" name=\"" << node.name << "\" type=\"NODE\"><matrix sid=\"transform\">";
    WriteFloats(out, node.matrix, 16);
    out << "</matrix>";
    if (!node.mesh.empty()) {
        out << "<instance_geometry url=\"#" << node.mesh << "\">";
        for (const ColladaMesh& mesh : doc.meshes)
            if (mesh.id == node.mesh && !mesh.material.empty())
                out << "<bind_material><technique_common><instance_material symbol=\"" << mesh.material
                    << "-symbol\" target=\"#" << mesh.material
                    << "\"><bind_vertex_input semantic=\"UVMap\" input_semantic=\"TEXCOORD\" input_set=\"0\"/>"
                       "</instance_material></technique_common></bind_material>";
        out << "</instance_geometry>";
    }
    out << "\n";
    for (const ColladaNode& child : node.children) WriteNode(out, child, doc);
    out << "</node>\n";
}

}  // namespace

std::string ColladaDocument::Write() const {
    std::ostringstream out;
    out << "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
           "<COLLADA xmlns=\"http://www.collada.org/2005/11/COLLADASchema\" version=\"1.4.1\">\n"
           "<asset><unit name=\"meter\" meter=\"1\"/><up_axis>Y_UP</up_axis></asset>\n";

    out << "<library_images>";
    for (const ColladaMaterial& m : materials)
        for (const std::string* tex : {&m.diffuseTexture, &m.specularTexture, &m.bumpTexture})
            if (!tex->empty())
                out << "<image id=\"" << m.id << "-" << (tex == &m.diffuseTexture ? "d" : tex == &m.specularTexture ? "s" : "b")
                    << "\"><init_from>" << *tex << "</init_from></image>";
    out << "</library_images>\n<library_effects>\n";
    for (const ColladaMaterial& m : materials) {
        out << "<effect id=\"" << m.id << "-effect\"><profile_COMMON>";
        for (const char* kind : {"d", "s", "b"}) {
            const std::string& tex = kind[0] == 'd' ? m.diffuseTexture : kind[0] == 's' ? m.specularTexture : m.bumpTexture;
            if (tex.empty()) continue;
            const std::string image = m.id + "-" + kind;
            out << "<newparam sid=\"" << image << "-surface\"><surface type=\"2D\"><init_from>" << image
                << "</init_from></surface></newparam><newparam sid=\"" << image << "-sampler\"><sampler2D><source>"
                << image << "-surface</source></sampler2D></newparam>";
        }
        out << "<technique sid=\"common\"><" << m.shading << ">";
        if (m.shading != "constant") {
            WriteColour(out, "ambient", m.ambient);
            if (!m.diffuseTexture.empty()) WriteTexture(out, "diffuse", m.id + "-d");
            else WriteColour(out, "diffuse", m.diffuse);
        }
        if (m.shading == "phong" || m.shading == "blinn") {
            if (!m.specularTexture.empty()) WriteTexture(out, "specular", m.id + "-s");
            else WriteColour(out, "specular", m.specular);
            out << "<shininess><float>" << m.shininess << "</float></shininess>";
        }
        out << "</" << m.shading << ">";
        if (!m.bumpTexture.empty())
            out << "<extra><technique profile=\"FCOLLADA\"><bump><texture texture=\"" << m.id
                << "-b-sampler\" texcoord=\"UVMap\"/></bump></technique></extra>";
        out << "</technique></profile_COMMON></effect>\n";
    }
    out << "</library_effects>\n<library_materials>";
    for (const ColladaMaterial& m : materials)
        out << "<material id=\"" << m.id << "\" name=\"" << m.id << "\"><instance_effect url=\"#" << m.id
            << "-effect\"/></material>";
    out << "</library_materials>\n<library_geometries>\n";
    for (const ColladaMesh& mesh : meshes) {
        out << "<geometry id=\"" << mesh.id << "\" name=\"" << mesh.id << "\"><mesh>\n";
        WriteSource(out, mesh.id + "-positions", mesh.positions, "XYZ");
        if (!mesh.normals.empty()) WriteSource(out, mesh.id + "-normals", mesh.normals, "XYZ");
        if (!mesh.uvs.empty()) WriteSource(out, mesh.id + "-uvs", mesh.uvs, "ST");
        out << "<vertices id=\"" << mesh.id << "-vertices\"><input semantic=\"POSITION\" source=\"#" << mesh.id
            << "-positions\"/></vertices>\n";
        const size_t corners = mesh.primitive == "lines" ? 2 : 3;
        out << "<" << mesh.primitive << " count=\"" << mesh.indices.size() / corners << "\"";
        if (!mesh.material.empty()) out << " material=\"" << mesh.material << "-symbol\"";
        out << "><input semantic=\"VERTEX\" source=\"#" << mesh.id << "-vertices\" offset=\"0\"/>";
        if (!mesh.normals.empty())
            out << "<input semantic=\"NORMAL\" source=\"#" << mesh.id << "-normals\" offset=\"0\"/>";
        if (!mesh.uvs.empty())
            out << "<input semantic=\"TEXCOORD\" source=\"#" << mesh.id << "-uvs\" offset=\"0\" set=\"0\"/>";
        out << "<p>";
        for (size_t i = 0; i < mesh.indices.size(); ++i) out << (i ? " " : "") << mesh.indices[i];
        out << "</p></" << mesh.primitive << "></mesh></geometry>\n";
    }
    out << "</library_geometries>\n<library_visual_scenes><visual_scene id=\"Scene\" name=\"Scene\">\n";
    for (const ColladaNode& root : roots) WriteNode(out, root, *this);
    out << "</visual_scene></library_visual_scenes>\n"
           "<scene><instance_visual_scene url=\"#Scene\"/></scene>\n</COLLADA>\n";
    return out.str();
}

ColladaMesh CubeMesh(const std::string& id, const std::string& material, bool withNormals, bool withUvs) {
    ColladaMesh mesh;
    mesh.id = id;
    mesh.material = material;
    for (int i = 0; i < 8; ++i) {
        const float corner[3] = {(i & 1) ? 0.5f : -0.5f, (i & 2) ? 0.5f : -0.5f, (i & 4) ? 0.5f : -0.5f};
        mesh.positions.insert(mesh.positions.end(), corner, corner + 3);
        if (withNormals) {
            // Corner directions: enough for a test that reads them back.
            mesh.normals.insert(mesh.normals.end(), {corner[0] * 2, corner[1] * 2, corner[2] * 2});
        }
        if (withUvs) mesh.uvs.insert(mesh.uvs.end(), {(i & 1) ? 1.0f : 0.0f, (i & 2) ? 1.0f : 0.0f});
    }
    mesh.indices = {0, 2, 3, 0, 3, 1, 4, 5, 7, 4, 7, 6, 0, 1, 5, 0, 5, 4,
                    2, 6, 7, 2, 7, 3, 0, 4, 6, 0, 6, 2, 1, 3, 7, 1, 7, 5};
    return mesh;
}

ColladaNode NodeChain(int depth, const std::string& meshId) {
    ColladaNode bottom;
    bottom.id = bottom.name = "level" + std::to_string(depth - 1);
    bottom.mesh = meshId;
    for (int level = depth - 2; level >= 0; --level) {
        ColladaNode above;
        above.id = above.name = "level" + std::to_string(level);
        above.children.push_back(std::move(bottom));
        bottom = std::move(above);
    }
    return bottom;
}

}  // namespace testsupport
