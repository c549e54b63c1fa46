"""A small Collada 1.4.1 writer for the game's models and levels.

Files are Y up, one unit per metre, and every node carries an `id` and a
`name` with the same text, so the importer reports the same node names
whether it reads ids or names. Materials use the Phong model; a normal map
is written as the `<bump>` texture of an FCOLLADA technique in the effect's
`<extra>`, the way Blender's exporter does it. The output contains no dates
or tool versions, so the same input always gives the same bytes.
"""

from xml.sax.saxutils import escape, quoteattr

from collada_mesh import identity


def fmt(v):
    """Fixed, short float formatting (no '-0', no exponent)."""
    s = '%.5f' % v
    s = s.rstrip('0').rstrip('.')
    if s in ('-0', ''):
        s = '0'
    return s


def fmts(values):
    return ' '.join(fmt(v) for v in values)


class Material:
    def __init__(self, name, texture=None, normal_map=None, diffuse=(0.8, 0.8, 0.8),
                 ambient=(0.35, 0.35, 0.35), specular=(0.15, 0.15, 0.15), shininess=16.0):
        self.name = name
        self.texture = texture
        self.normal_map = normal_map
        self.diffuse = diffuse
        self.ambient = ambient
        self.specular = specular
        self.shininess = shininess


class Node:
    def __init__(self, name, matrix=None, mesh=None, light=None):
        self.name = name
        self.matrix = matrix if matrix is not None else identity()
        self.mesh = mesh
        self.light = light  # colour tuple of a directional light, or None
        self.children = []

    def add(self, child):
        self.children.append(child)
        return child


class Document:
    def __init__(self, scene_name='Scene'):
        self.scene_name = scene_name
        self.materials = {}
        self.roots = []

    def material(self, mat):
        if mat.name in self.materials:
            old = self.materials[mat.name]
            if vars(old) != vars(mat):
                raise ValueError('material %s defined twice with different values' % mat.name)
            return old
        self.materials[mat.name] = mat
        return mat

    def add(self, node):
        self.roots.append(node)
        return node

    # ------------------------------------------------------------ writing
    def _walk(self):
        stack = list(reversed(self.roots))
        while stack:
            node = stack.pop()
            yield node
            stack.extend(reversed(node.children))

    def write(self, path):
        nodes = list(self._walk())
        names = [n.name for n in nodes]
        dup = sorted(set(x for x in names if names.count(x) > 1))
        if dup:
            raise ValueError('duplicate node names: %s' % ', '.join(dup))
        for n in nodes:
            if n.mesh is not None:
                for part in n.mesh.parts:
                    if part.material not in self.materials:
                        raise ValueError('node %s uses unknown material %s' % (n.name, part.material))
        used = []
        for n in nodes:
            if n.mesh is not None:
                for part in n.mesh.parts:
                    if part.material not in used:
                        used.append(part.material)
        out = []
        w = out.append
        w('<?xml version="1.0" encoding="utf-8"?>\n')
        w('<COLLADA xmlns="http://www.collada.org/2005/11/COLLADASchema" version="1.4.1">\n')
        w('  <asset>\n    <contributor>\n      <authoring_tool>Tavo content scripts</authoring_tool>\n    </contributor>\n')
        w('    <unit name="meter" meter="1"/>\n    <up_axis>Y_UP</up_axis>\n  </asset>\n')
        # images
        images = []
        for name in used:
            m = self.materials[name]
            for tex in (m.texture, m.normal_map):
                if tex and tex not in images:
                    images.append(tex)
        if images:
            w('  <library_images>\n')
            for tex in images:
                w('    <image id=%s name=%s>\n      <init_from>%s</init_from>\n    </image>\n'
                  % (quoteattr(self._image_id(tex)), quoteattr(self._image_id(tex)), escape(tex)))
            w('  </library_images>\n')
        # lights
        lights = [n for n in nodes if n.light is not None]
        if lights:
            w('  <library_lights>\n')
            for n in lights:
                lid = n.name + '-light'
                w('    <light id=%s name=%s>\n      <technique_common>\n        <directional>\n'
                  '          <color>%s</color>\n        </directional>\n      </technique_common>\n    </light>\n'
                  % (quoteattr(lid), quoteattr(lid), fmts(n.light)))
            w('  </library_lights>\n')
        # effects and materials
        w('  <library_effects>\n')
        for name in used:
            m = self.materials[name]
            w('    <effect id=%s>\n      <profile_COMMON>\n' % quoteattr(name + '-effect'))
            for tex in (m.texture, m.normal_map):
                if tex:
                    iid = self._image_id(tex)
                    w('        <newparam sid=%s>\n          <surface type="2D">\n            <init_from>%s</init_from>\n'
                      '          </surface>\n        </newparam>\n' % (quoteattr(iid + '-surface'), escape(iid)))
                    w('        <newparam sid=%s>\n          <sampler2D>\n            <source>%s</source>\n'
                      '          </sampler2D>\n        </newparam>\n' % (quoteattr(iid + '-sampler'), escape(iid + '-surface')))
            w('        <technique sid="common">\n          <phong>\n')
            w('            <emission>\n              <color sid="emission">0 0 0 1</color>\n            </emission>\n')
            w('            <ambient>\n              <color sid="ambient">%s 1</color>\n            </ambient>\n' % fmts(m.ambient))
            if m.texture:
                w('            <diffuse>\n              <texture texture=%s texcoord="UVMap"/>\n            </diffuse>\n'
                  % quoteattr(self._image_id(m.texture) + '-sampler'))
            else:
                w('            <diffuse>\n              <color sid="diffuse">%s 1</color>\n            </diffuse>\n' % fmts(m.diffuse))
            w('            <specular>\n              <color sid="specular">%s 1</color>\n            </specular>\n' % fmts(m.specular))
            w('            <shininess>\n              <float sid="shininess">%s</float>\n            </shininess>\n' % fmt(m.shininess))
            w('          </phong>\n')
            if m.normal_map:
                w('          <extra>\n            <technique profile="FCOLLADA">\n              <bump>\n'
                  '                <texture texture=%s texcoord="UVMap"/>\n              </bump>\n'
                  '            </technique>\n          </extra>\n' % quoteattr(self._image_id(m.normal_map) + '-sampler'))
            w('        </technique>\n      </profile_COMMON>\n    </effect>\n')
        w('  </library_effects>\n')
        w('  <library_materials>\n')
        for name in used:
            w('    <material id=%s name=%s>\n      <instance_effect url=%s/>\n    </material>\n'
              % (quoteattr(name + '-material'), quoteattr(name), quoteattr('#' + name + '-effect')))
        w('  </library_materials>\n')
        # geometries
        w('  <library_geometries>\n')
        for n in nodes:
            if n.mesh is None:
                continue
            gid = n.name + '-mesh'
            w('    <geometry id=%s name=%s>\n      <mesh>\n' % (quoteattr(gid), quoteattr(n.name)))
            pos, nrm, uv = [], [], []
            offsets = []
            for part in n.mesh.parts:
                offsets.append(len(pos))
                pos.extend(part.pos)
                nrm.extend(part.nrm)
                uv.extend(part.uv)
            for suffix, data, params in (('positions', pos, 'XYZ'), ('normals', nrm, 'XYZ'), ('map-0', uv, 'ST')):
                sid = gid + '-' + suffix
                flat = [c for v in data for c in v]
                w('        <source id=%s>\n          <float_array id=%s count="%d">%s</float_array>\n'
                  % (quoteattr(sid), quoteattr(sid + '-array'), len(flat), fmts(flat)))
                w('          <technique_common>\n            <accessor source=%s count="%d" stride="%d">\n'
                  % (quoteattr('#' + sid + '-array'), len(data), len(params)))
                for p in params:
                    w('              <param name="%s" type="float"/>\n' % p)
                w('            </accessor>\n          </technique_common>\n        </source>\n')
            w('        <vertices id=%s>\n          <input semantic="POSITION" source=%s/>\n        </vertices>\n'
              % (quoteattr(gid + '-vertices'), quoteattr('#' + gid + '-positions')))
            for part, base in zip(n.mesh.parts, offsets):
                w('        <triangles material=%s count="%d">\n' % (quoteattr(part.material + '-material'), len(part.tris)))
                w('          <input semantic="VERTEX" source=%s offset="0"/>\n' % quoteattr('#' + gid + '-vertices'))
                w('          <input semantic="NORMAL" source=%s offset="0"/>\n' % quoteattr('#' + gid + '-normals'))
                w('          <input semantic="TEXCOORD" source=%s offset="0" set="0"/>\n' % quoteattr('#' + gid + '-map-0'))
                w('          <p>%s</p>\n        </triangles>\n' % ' '.join(str(i + base) for t in part.tris for i in t))
            w('      </mesh>\n    </geometry>\n')
        w('  </library_geometries>\n')
        # scene
        w('  <library_visual_scenes>\n    <visual_scene id=%s name=%s>\n'
          % (quoteattr(self.scene_name), quoteattr(self.scene_name)))
        for root in self.roots:
            self._write_node(w, root, 3)
        w('    </visual_scene>\n  </library_visual_scenes>\n')
        w('  <scene>\n    <instance_visual_scene url=%s/>\n  </scene>\n' % quoteattr('#' + self.scene_name))
        w('</COLLADA>\n')
        with open(path, 'w', encoding='utf-8', newline='\n') as f:
            f.write(''.join(out))

    @staticmethod
    def _image_id(tex):
        return tex.replace('.', '_')

    def _write_node(self, w, node, depth):
        ind = '  ' * depth
        w('%s<node id=%s name=%s type="NODE">\n' % (ind, quoteattr(node.name), quoteattr(node.name)))
        w('%s  <matrix sid="transform">%s</matrix>\n' % (ind, fmts(node.matrix)))
        if node.mesh is not None:
            w('%s  <instance_geometry url=%s name=%s>\n' % (ind, quoteattr('#' + node.name + '-mesh'), quoteattr(node.name)))
            w('%s    <bind_material>\n%s      <technique_common>\n' % (ind, ind))
            for part in node.mesh.parts:
                mid = part.material + '-material'
                w('%s        <instance_material symbol=%s target=%s>\n' % (ind, quoteattr(mid), quoteattr('#' + mid)))
                w('%s          <bind_vertex_input semantic="UVMap" input_semantic="TEXCOORD" input_set="0"/>\n' % ind)
                w('%s        </instance_material>\n' % ind)
            w('%s      </technique_common>\n%s    </bind_material>\n%s  </instance_geometry>\n' % (ind, ind, ind))
        if node.light is not None:
            w('%s  <instance_light url=%s/>\n' % (ind, quoteattr('#' + node.name + '-light')))
        for child in node.children:
            self._write_node(w, child, depth + 1)
        w('%s</node>\n' % ind)
