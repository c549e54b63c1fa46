"""Building blocks for the game's levels: one Level object per file.

Every helper writes its nodes with the names the game reads (see
docs/levels.md): TAVO_START, TAVO_SUN, POWERUP_MILK_n, POWERUP_UMBRELLA_n,
PU_..._n, PHYS_mass_m[_convex_true], CLIP_..., NOCLIP_..., TRIGGEREND
[_nextlevel_levelN.dae], TRIGGERKILL. Names stay unique inside a file by a
trailing "_n_<count>" property, which the game ignores.

Units are world units (the player stands 3.6 tall), Y is up, and the player's
camera starts behind the player looking along -Z, so "forward" is -Z.
"""

import math

from collada_dae import Document, Material, Node
from collada_mesh import Mesh, box, chain, cylinder, ellipsoid, lathe, rotate, scale, translate

# Materials shared by all levels: name -> (texture, normal map, tile length)
TEXTURED = {
    'brick': ('brickwall.jpg', 'brickwall_normal.png', 4.0),
    'stone': ('stone.jpg', 'stone_normal.png', 4.0),
    'tiles': ('floor07.jpg', None, 4.0),
    'tiles2': ('floor07b.jpg', None, 3.0),
    'grass': ('grass.jpg', None, 8.0),
    'sand': ('sand.jpg', None, 8.0),
    'crate': ('crate.jpg', None, None),
    'wood': ('wood.jpg', None, 3.0),
    'roof': ('roof.jpg', None, 4.0),
    'metal': ('metal.jpg', None, 4.0),
    'duck': ('duckCM.tga', None, None),
}

PLAYER_HEIGHT = 3.6


def tile_of(material):
    return TEXTURED[material][2] if material in TEXTURED else None


class Level:
    def __init__(self, number, title):
        self.number = number
        self.title = title
        self.doc = Document('level%d' % number)
        self.groups = {}        # node name -> Mesh (merged static scenery)
        self.group_order = []
        self.extra_nodes = []
        self.counts = {}
        self.powerup_numbers = []
        for name, (tex, nmap, _tile) in TEXTURED.items():
            spec = (0.12, 0.12, 0.12)
            shin = 12.0
            if name == 'metal':
                spec, shin = (0.6, 0.6, 0.6), 48.0
            if name == 'duck':
                spec, shin = (0.5, 0.5, 0.5), 40.0
            self.doc.material(Material(name, texture=tex, normal_map=nmap, ambient=(0.4, 0.4, 0.4),
                                       specular=spec, shininess=shin))
        self.doc.material(Material('water', diffuse=(0.25, 0.45, 0.75), ambient=(0.45, 0.45, 0.5),
                                   specular=(0.9, 0.9, 0.9), shininess=90.0))
        self.doc.material(Material('beak', diffuse=(0.95, 0.45, 0.1), ambient=(0.45, 0.45, 0.45),
                                   specular=(0.5, 0.5, 0.5), shininess=40.0))
        self.doc.material(Material('volume', diffuse=(1.0, 0.0, 1.0), ambient=(0.0, 0.0, 0.0),
                                   specular=(0.0, 0.0, 0.0), shininess=1.0))

    # ------------------------------------------------------------ naming
    def unique(self, prefix):
        n = self.counts.get(prefix, 0) + 1
        self.counts[prefix] = n
        return n

    # ------------------------------------------------------------ scenery
    def group(self, name):
        """Merged static scenery: every piece added under one name becomes one node."""
        if name not in self.groups:
            self.groups[name] = Mesh()
            self.group_order.append(name)
        return self.groups[name]

    def block(self, group, material, lo, hi, faces='xXyYzZ'):
        """An axis-aligned box of scenery (wall, roof, floor slab)."""
        self.group(group).add(box(material, lo, hi, tile=tile_of(material), faces=faces))

    def wall_x(self, group, material, x0, x1, z, height, thick=1.0, y0=0.0):
        """A wall running along x at depth z (its faces at z +- thick/2)."""
        self.block(group, material, (x0, y0, z - thick / 2), (x1, y0 + height, z + thick / 2))

    def wall_z(self, group, material, z0, z1, x, height, thick=1.0, y0=0.0):
        """A wall running along z at x."""
        self.block(group, material, (x - thick / 2, y0, z0), (x + thick / 2, y0 + height, z1))

    def floor(self, group, material, x0, z0, x1, z1, top=0.0, depth=1.0, faces='xXYzZ'):
        self.block(group, material, (x0, top - depth, z0), (x1, top, z1), faces=faces)

    def ramp(self, group, material, x0, x1, z0, z1, y_low, y_high, rises_to='-z', back=True):
        """A wedge standing on y_low and climbing to y_high in the direction rises_to
        ('-z', '+z', '-x' or '+x'). Keep the slope below 45 degrees. back=False leaves
        out the upright face at the high end, for a ramp that leans on a block: the
        walking figure catches on the rim of a buried face where the slope meets the
        block's top."""
        from collada_mesh import _cross, _sub
        t = tile_of(material) or 4.0
        yl, yh = y_low, y_high
        # corners of the footprint, and which of them are at the high end
        foot = [(x0, z0), (x1, z0), (x1, z1), (x0, z1)]
        high = {'-z': lambda x, z: z == z0, '+z': lambda x, z: z == z1,
                '-x': lambda x, z: x == x0, '+x': lambda x, z: x == x1}[rises_to]
        top = [(x, yh if high(x, z) else yl, z) for x, z in foot]
        bottom = [(x, yl, z) for x, z in foot]
        faces = [top]
        for i in range(4):
            j = (i + 1) % 4
            poly = [bottom[i], bottom[j], top[j], top[i]]
            poly = [p for k, p in enumerate(poly) if k < 2 or p[1] > yl + 1e-9]
            if not back and len(poly) == 4 and high(bottom[i][0], bottom[i][2]) and high(bottom[j][0], bottom[j][2]):
                continue
            if len(poly) >= 3:
                faces.append(poly)
        cx = sum(p[0] for p in bottom) / 4
        cz = sum(p[2] for p in bottom) / 4
        centre = (cx, yl + (yh - yl) / 3.0, cz)
        part = self.group(group).part(material)
        for poly in faces:
            n = _cross(_sub(poly[1], poly[0]), _sub(poly[2], poly[0]))
            fc = tuple(sum(p[i] for p in poly) / len(poly) for i in range(3))
            out = _sub(fc, centre)
            if sum(n[i] * out[i] for i in range(3)) < 0:
                poly = poly[::-1]
                n = tuple(-c for c in n)
            if abs(n[1]) > abs(n[0]) and abs(n[1]) > abs(n[2]):
                uvs = [(p[0] / t, -p[2] / t) for p in poly]
            elif abs(n[0]) > abs(n[2]):
                uvs = [(p[2] / t, p[1] / t) for p in poly]
            else:
                uvs = [(p[0] / t, p[1] / t) for p in poly]
            idx = [part.vertex(p, n, uv) for p, uv in zip(poly, uvs)]
            for k in range(1, len(idx) - 1):
                part.tri(idx[0], idx[k], idx[k + 1])

    def pillar(self, group, material, x, z, radius, height, y0=0.0):
        self.group(group).add(cylinder(material, radius, 0.0, height, segments=12), translate(x, y0, z))

    def tree(self, x, z, trunk=5.0, crown=4.0, y0=0.0):
        """A solid tree: a wooden trunk and a leafy crown that casts a round shadow."""
        k = self.unique('tree')
        mesh = Mesh()
        mesh.add(cylinder('wood', 0.45, 0.0, trunk + 0.5, segments=10), translate(x, y0, z))
        node = Node('tree_%d' % k, mesh=mesh)
        crown_mesh = ellipsoid('grass', (crown, crown * 0.7, crown), rings=8, segments=14, u_repeat=3.0)
        crown_node = Node('treecrown_%d' % k, mesh=Mesh().add(crown_mesh, translate(x, y0 + trunk + crown * 0.55, z)))
        self.extra_nodes.append(node)
        self.extra_nodes.append(crown_node)

    def parasol(self, x, z, radius=3.5, height=5.0, y0=0.0):
        """A solid market parasol (metal pole, canvas disc)."""
        k = self.unique('parasol')
        mesh = Mesh()
        mesh.add(cylinder('metal', 0.12, 0.0, height + 0.3, segments=8), translate(x, y0, z))
        node = Node('parasolpole_%d' % k, mesh=mesh)
        canopy = lathe('roof', [(0.0, height + 0.9), (radius * 0.5, height + 0.55), (radius, height)], 16,
                       cap_bottom=True)
        self.extra_nodes.append(node)
        self.extra_nodes.append(Node('parasol_%d' % k, mesh=Mesh().add(canopy, translate(x, y0, z))))

    # ------------------------------------------------------------ game nodes
    def start(self, x, y, z):
        self.extra_nodes.append(Node('TAVO_START', translate(x, y, z)))

    def sun(self, azimuth, elevation):
        """The sun stands at 'azimuth' degrees (0 = -Z, 90 = +X, 180 = +Z, 270 = -X)
        and 'elevation' degrees above the horizon. The node looks along its -Z
        axis in the direction the light travels."""
        az, el = math.radians(azimuth), math.radians(elevation)
        to_sun = (math.cos(el) * math.sin(az), math.sin(el), -math.cos(el) * math.cos(az))
        zx, zy, zz = to_sun                       # local +Z points at the sun
        xx, xy, xz = zz, 0.0, -zx                 # up x z, horizontal
        length = math.hypot(xx, xz)
        xx, xz = xx / length, xz / length
        yx, yy, yz = zy * xz - zz * xy, zz * xx - zx * xz, zx * xy - zy * xx
        m = [xx, yx, zx, 80.0 * zx,
             xy, yy, zy, 80.0 * zy,
             xz, yz, zz, 80.0 * zz,
             0.0, 0.0, 0.0, 1.0]
        self.extra_nodes.append(Node('TAVO_SUN', m, light=(1.0, 0.97, 0.9)))
        self.sun_dir = tuple(-c for c in to_sun)

    def powerup(self, kind, number, x, floor_y, z, pad=4.0):
        """A milk ('MILK') or umbrella ('UMBRELLA') power-up floating over a pad
        that receives its projected star."""
        assert number not in self.powerup_numbers and 0 < number < 10
        self.powerup_numbers.append(number)
        self.extra_nodes.append(Node('POWERUP_%s_%d' % (kind, number), translate(x, floor_y + 0.95, z)))
        mesh = box('tiles2', (x - pad / 2, floor_y, z - pad / 2), (x + pad / 2, floor_y + 0.08, z + pad / 2),
                   tile=tile_of('tiles2'), faces='xXYzZ')
        self.extra_nodes.append(Node('PU_pad_%d' % number, mesh=mesh))

    def crate(self, x, y, z, mass=2.0, yaw=0.0):
        """A 1x1x1 physics crate (box shape) standing on y. The game's box body is a
        unit cube centred 0.5 along the node's local Z, so the node is turned to
        make local Z point up."""
        k = self.unique('crate')
        mesh = box('crate', (-0.5, -0.5, 0.0), (0.5, 0.5, 1.0))
        m = chain(translate(x, y, z), rotate('y', yaw), rotate('x', -90.0))
        self.extra_nodes.append(Node('PHYS_mass_%s_n_%d' % (_num(mass), k), m, mesh=mesh))

    def big_crate(self, x, y, z, size=(3.0, 4.2, 3.0), mass=8.0, yaw=0.0):
        """A large physics crate with a convex hull body; its origin (the body's centre
        of mass) sits at the middle of its bottom face, which keeps it from tipping."""
        k = self.unique('crate')
        sx, sy, sz = size
        mesh = box('wood', (-sx / 2, 0.0, -sz / 2), (sx / 2, sy, sz / 2), tile=1.5)
        m = chain(translate(x, y, z), rotate('y', yaw))
        self.extra_nodes.append(Node('PHYS_mass_%s_convex_true_n_%d' % (_num(mass), k), m, mesh=mesh))

    def barrel(self, x, y, z, mass=3.0):
        k = self.unique('crate')
        mesh = lathe('metal', [(0.0, 0.0), (0.5, 0.0), (0.6, 0.6), (0.5, 1.2), (0.0, 1.2)], 14)
        self.extra_nodes.append(Node('PHYS_mass_%s_convex_true_n_%d' % (_num(mass), k), translate(x, y, z), mesh=mesh))

    def clip_box(self, lo, hi, label='wall'):
        k = self.unique('clip')
        self.extra_nodes.append(Node('CLIP_%s_%d' % (label, k), mesh=box('volume', lo, hi)))

    def end_trigger(self, lo, hi, next_level):
        name = 'TRIGGEREND' if next_level is None else 'TRIGGEREND_nextlevel_%s' % next_level
        cx, cy, cz = [(a + b) / 2 for a, b in zip(lo, hi)]
        half = [(b - a) / 2 for a, b in zip(lo, hi)]
        self.extra_nodes.append(Node(name, translate(cx, cy, cz),
                                     mesh=box('volume', tuple(-h for h in half), tuple(half))))

    def kill_volume(self, lo, hi):
        k = self.unique('kill')
        cx, cy, cz = [(a + b) / 2 for a, b in zip(lo, hi)]
        half = [(b - a) / 2 for a, b in zip(lo, hi)]
        self.extra_nodes.append(Node('TRIGGERKILL_n_%d' % k, translate(cx, cy, cz),
                                     mesh=box('volume', tuple(-h for h in half), tuple(half))))

    def duck(self, x, y, z, size=1.0, yaw=0.0):
        """A rubber duck, decoration without collision (NOCLIP)."""
        k = self.unique('duck')
        mesh = Mesh()
        mesh.add(ellipsoid('duck', (0.55, 0.4, 0.75), rings=8, segments=14))
        mesh.add(ellipsoid('duck', (0.36, 0.36, 0.36), rings=8, segments=12), translate(0.0, 0.55, -0.4))
        mesh.add(ellipsoid('beak', (0.16, 0.07, 0.2), rings=5, segments=8), translate(0.0, 0.5, -0.78))
        mesh.add(ellipsoid('duck', (0.12, 0.2, 0.3), rings=5, segments=8), chain(translate(0.0, 0.28, 0.72), rotate('x', -40.0)))
        m = chain(translate(x, y + 0.3 * size, z), rotate('y', yaw))
        self.extra_nodes.append(Node('NOCLIP_duck_%d' % k, m, mesh=Mesh().add(mesh, scale(size))))

    def noclip(self, label, mesh):
        k = self.unique('noclip')
        self.extra_nodes.append(Node('NOCLIP_%s_%d' % (label, k), mesh=mesh))

    # ------------------------------------------------------------ output
    def write(self, path):
        root = Node('level%d' % self.number)
        for name in self.group_order:
            mesh = self.groups[name]
            if len(mesh.parts) != 1:
                raise ValueError('scenery group %s mixes materials; the game collides only with the first' % name)
            root.add(Node(name, mesh=mesh))
        for node in self.extra_nodes:
            if node.mesh is not None and len(node.mesh.parts) != 1 and not node.name.startswith('NOCLIP'):
                # solid objects collide with their first mesh only
                raise ValueError('node %s mixes materials' % node.name)
            root.add(node)
        self.doc.add(root)
        self.doc.write(path)


def _num(v):
    return ('%g' % v)

