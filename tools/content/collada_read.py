"""Reads Collada 1.4.1 scenes into world-space triangles (for the plan drawer
and previews). Handles what Blender's exporter and our own scripts write:
nodes with <matrix> or translate/rotate/scale, <instance_geometry>,
<triangles>, <polylist> and <polygons>, Y_UP and Z_UP files.

Node names follow the game's reading when it uses the Collada names: the
`name` attribute, else the `id`.
"""

import math
import xml.etree.ElementTree as ET

import numpy as np

NS = '{http://www.collada.org/2005/11/COLLADASchema}'


def _floats(text):
    return np.array([float(v) for v in (text or '').split()], dtype=np.float64)


def _ints(text):
    return np.array([int(v) for v in (text or '').split()], dtype=np.int64)


class SceneNode:
    def __init__(self, name, node_id, world, depth):
        self.name = name
        self.id = node_id
        self.world = world          # 4x4 numpy, column vectors
        self.depth = depth
        self.parts = []             # list of (material id, triangles (N,3,3) world, normals (N,3))
        self.has_light = False

    @property
    def position(self):
        return self.world[:3, 3].copy()

    def triangles(self):
        if not self.parts:
            return np.zeros((0, 3, 3))
        return np.concatenate([p[1] for p in self.parts], axis=0)


class Scene:
    def __init__(self, path):
        self.path = path
        tree = ET.parse(path)
        self.root = tree.getroot()
        self.up_axis = (self.root.findtext('%sasset/%sup_axis' % (NS, NS)) or 'Y_UP').strip()
        unit = self.root.find('%sasset/%sunit' % (NS, NS))
        self.unit = float(unit.get('meter', '1')) if unit is not None else 1.0
        self.geometries = {g.get('id'): g for g in self.root.iter(NS + 'geometry')}
        self.materials = self._read_materials()
        self.nodes = []
        self._geom_cache = {}
        scene = self.root.find('%sscene/%sinstance_visual_scene' % (NS, NS))
        vs_id = scene.get('url')[1:]
        vs = [v for v in self.root.iter(NS + 'visual_scene') if v.get('id') == vs_id][0]
        base = np.eye(4) * 1.0
        base[:3, :3] *= self.unit
        if self.up_axis == 'Z_UP':
            base = _rot('x', -90.0) @ base
        elif self.up_axis == 'X_UP':
            base = _rot('z', 90.0) @ base
        for child in vs.findall(NS + 'node'):
            self._walk(child, base, 0)

    # ------------------------------------------------------------ materials
    def _read_materials(self):
        images = {}
        for img in self.root.iter(NS + 'image'):
            init = img.find(NS + 'init_from')
            if init is not None and init.text:
                images[img.get('id')] = init.text.strip()
        effects = {}
        for eff in self.root.iter(NS + 'effect'):
            params = {}
            for np_ in eff.iter(NS + 'newparam'):
                surf = np_.find('%ssurface/%sinit_from' % (NS, NS))
                samp = np_.find('%ssampler2D/%ssource' % (NS, NS))
                if surf is not None:
                    params[np_.get('sid')] = ('surface', surf.text.strip())
                if samp is not None:
                    params[np_.get('sid')] = ('sampler', samp.text.strip())

            def resolve(tex):
                seen = 0
                while tex in params and seen < 4:
                    kind, val = params[tex]
                    tex = val
                    seen += 1
                return images.get(tex, tex)

            info = {'diffuse': None, 'normal': None}
            d = eff.find('.//%sdiffuse/%stexture' % (NS, NS))
            if d is not None:
                info['diffuse'] = resolve(d.get('texture'))
            b = eff.find('.//%sbump/%stexture' % (NS, NS))
            if b is not None:
                info['normal'] = resolve(b.get('texture'))
            col = eff.find('.//%sdiffuse/%scolor' % (NS, NS))
            info['color'] = tuple(_floats(col.text)[:3]) if col is not None else (0.8, 0.8, 0.8)
            effects[eff.get('id')] = info
        mats = {}
        for m in self.root.iter(NS + 'material'):
            ie = m.find(NS + 'instance_effect')
            mats[m.get('id')] = effects.get(ie.get('url')[1:], {'diffuse': None, 'normal': None, 'color': (0.8, 0.8, 0.8)})
        return mats

    # ------------------------------------------------------------ nodes
    def _walk(self, el, parent, depth):
        local = np.eye(4)
        for t in el:
            tag = t.tag[len(NS):]
            if tag == 'matrix':
                local = local @ _floats(t.text).reshape(4, 4)
            elif tag == 'translate':
                v = _floats(t.text)
                m = np.eye(4)
                m[:3, 3] = v
                local = local @ m
            elif tag == 'rotate':
                v = _floats(t.text)
                local = local @ _rot_axis(v[:3], v[3])
            elif tag == 'scale':
                v = _floats(t.text)
                local = local @ np.diag([v[0], v[1], v[2], 1.0])
        world = parent @ local
        name = el.get('name') or el.get('id') or ''
        node = SceneNode(name, el.get('id'), world, depth)
        self.nodes.append(node)
        for ig in el.findall(NS + 'instance_geometry'):
            bind = {}
            for im in ig.iter(NS + 'instance_material'):
                bind[im.get('symbol')] = im.get('target')[1:]
            for mat_symbol, tris in self._geometry(ig.get('url')[1:]):
                w = (world[:3, :3] @ tris.reshape(-1, 3).T).T + world[:3, 3]
                w = w.reshape(-1, 3, 3)
                n = np.cross(w[:, 1] - w[:, 0], w[:, 2] - w[:, 0])
                length = np.linalg.norm(n, axis=1, keepdims=True)
                n = n / np.maximum(length, 1e-12)
                node.parts.append((bind.get(mat_symbol, mat_symbol), w, n))
        if el.find(NS + 'instance_light') is not None:
            node.has_light = True
        for child in el.findall(NS + 'node'):
            self._walk(child, world, depth + 1)

    def _geometry(self, gid):
        if gid in self._geom_cache:
            return self._geom_cache[gid]
        g = self.geometries[gid]
        mesh = g.find(NS + 'mesh')
        sources = {}
        for s in mesh.findall(NS + 'source'):
            arr = s.find(NS + 'float_array')
            acc = s.find('%stechnique_common/%saccessor' % (NS, NS))
            stride = int(acc.get('stride', '1'))
            sources[s.get('id')] = _floats(arr.text).reshape(-1, stride)
        verts = mesh.find(NS + 'vertices')
        pos_src = None
        for inp in verts.findall(NS + 'input'):
            if inp.get('semantic') == 'POSITION':
                pos_src = inp.get('source')[1:]
        positions = sources[pos_src][:, :3]
        out = []
        for prim in list(mesh):
            tag = prim.tag[len(NS):]
            if tag not in ('triangles', 'polylist', 'polygons'):
                continue
            inputs = prim.findall(NS + 'input')
            stride = max(int(i.get('offset', '0')) for i in inputs) + 1
            voff = [int(i.get('offset', '0')) for i in inputs if i.get('semantic') == 'VERTEX'][0]
            faces = []
            if tag == 'triangles':
                idx = _ints(prim.findtext(NS + 'p')).reshape(-1, stride)[:, voff]
                faces = idx.reshape(-1, 3)
            elif tag == 'polylist':
                counts = _ints(prim.findtext(NS + 'vcount'))
                idx = _ints(prim.findtext(NS + 'p')).reshape(-1, stride)[:, voff]
                pos = 0
                tri = []
                for c in counts:
                    poly = idx[pos:pos + c]
                    for k in range(1, c - 1):
                        tri.append((poly[0], poly[k], poly[k + 1]))
                    pos += c
                faces = np.array(tri, dtype=np.int64).reshape(-1, 3)
            else:
                tri = []
                for p in prim.findall(NS + 'p'):
                    poly = _ints(p.text).reshape(-1, stride)[:, voff]
                    for k in range(1, len(poly) - 1):
                        tri.append((poly[0], poly[k], poly[k + 1]))
                faces = np.array(tri, dtype=np.int64).reshape(-1, 3)
            out.append((prim.get('material'), positions[faces]))
        self._geom_cache[gid] = out
        return out


def _rot(axis, deg):
    a = math.radians(deg)
    c, s = math.cos(a), math.sin(a)
    m = np.eye(4)
    if axis == 'x':
        m[1, 1], m[1, 2], m[2, 1], m[2, 2] = c, -s, s, c
    elif axis == 'y':
        m[0, 0], m[0, 2], m[2, 0], m[2, 2] = c, s, -s, c
    else:
        m[0, 0], m[0, 1], m[1, 0], m[1, 1] = c, -s, s, c
    return m


def _rot_axis(axis, deg):
    axis = np.asarray(axis, dtype=np.float64)
    axis = axis / (np.linalg.norm(axis) or 1.0)
    a = math.radians(deg)
    c, s, t = math.cos(a), math.sin(a), 1.0 - math.cos(a)
    x, y, z = axis
    m = np.eye(4)
    m[:3, :3] = [[t * x * x + c, t * x * y - s * z, t * x * z + s * y],
                 [t * x * y + s * z, t * y * y + c, t * y * z - s * x],
                 [t * x * z - s * y, t * y * z + s * x, t * z * z + c]]
    return m
