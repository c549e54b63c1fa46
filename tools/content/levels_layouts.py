"""The layouts of the five levels. Coordinates are world units; -Z is the
direction W walks at the start of a level (the camera starts behind the
player, on its +Z side). Each function returns a levels_kit.Level."""

from collada_mesh import Mesh, lathe, translate
from levels_kit import Level


def _frame(lv, x0, z0, x1, z1, height=2.5):
    """Invisible walls around the playing field and a kill volume under it."""
    t = 2.0
    lv.clip_box((x0 - t, -5.0, z0 - t), (x1 + t, height, z0), 'boundary')
    lv.clip_box((x0 - t, -5.0, z1), (x1 + t, height, z1 + t), 'boundary')
    lv.clip_box((x0 - t, -5.0, z0), (x0, height, z1), 'boundary')
    lv.clip_box((x1, -5.0, z0), (x1 + t, height, z1), 'boundary')
    # falling off the world always ends in here
    lv.kill_volume((-400.0, -60.0, -400.0), (400.0, -40.0, 400.0))


def _fountain(lv, x, z, radius=3.0, duck=True):
    """A round basin of stone with water and, for fun, a rubber duck."""
    rim = Mesh()
    rim.add(lathe('stone', [(radius - 0.4, 0.0), (radius - 0.4, 0.7), (radius, 0.8), (radius + 0.2, 0.0)], 24,
                  u_repeat=4.0), translate(x, 0.0, z))
    k = lv.unique('fountain')
    lv.group('fountainrim_%d' % k).add(rim)
    water = lathe('water', [(0.0, 0.45), (radius - 0.35, 0.45)], 24)
    lv.noclip('water', Mesh().add(water, translate(x, 0.0, z)))
    if duck:
        lv.duck(x + 0.8, 0.35, z - 0.5, size=1.0, yaw=35.0)


def _end_gate(lv, x0, x1, z, floor=0.0, next_level=None, material='stone'):
    """An arch across the way with the end trigger under it."""
    g = 'endgate'
    lv.block(g, material, (x0 - 1.0, floor, z - 1.0), (x0, floor + 7.0, z + 1.0))
    lv.block(g, material, (x1, floor, z - 1.0), (x1 + 1.0, floor + 7.0, z + 1.0))
    lv.block(g, material, (x0 - 1.2, floor + 7.0, z - 1.2), (x1 + 1.2, floor + 8.2, z + 1.2))
    lv.noclip('finish', Mesh().add(_stripe(x0, x1, z, floor)))
    lv.end_trigger((x0, floor, z - 1.5), (x1, floor + 4.0, z + 1.5), next_level)


def _end_gate_z(lv, z0, z1, x, floor=0.0, next_level=None, material='stone'):
    """The same arch for a way that runs along x."""
    from collada_mesh import box
    g = 'endgate'
    lv.block(g, material, (x - 1.0, floor, z0 - 1.0), (x + 1.0, floor + 7.0, z0))
    lv.block(g, material, (x - 1.0, floor, z1), (x + 1.0, floor + 7.0, z1 + 1.0))
    lv.block(g, material, (x - 1.2, floor + 7.0, z0 - 1.2), (x + 1.2, floor + 8.2, z1 + 1.2))
    lv.noclip('finish', box('tiles2', (x - 1.0, floor + 0.06, z0), (x + 1.0, floor + 0.09, z1), tile=3.0, faces='Y'))
    lv.end_trigger((x - 1.5, floor, z0), (x + 1.5, floor + 4.0, z1), next_level)


def _stripe(x0, x1, z, floor):
    from collada_mesh import box
    return box('tiles2', (x0, floor + 0.06, z - 1.0), (x1, floor + 0.09, z + 1.0), tile=3.0, faces='Y')


# ================================================================ level 1
def level1():
    """Sunny Street: walk straight ahead (W) down a street whose tall east
    houses throw shade across it; four side alleys let the sun in. Milk
    waits right after the widest gap. A park to the west is open sun."""
    lv = Level(1, 'Sunny Street')
    lv.sun(100.0, 45.0)
    lv.start(0.0, 0.2, 84.0)
    x0, z0, x1, z1 = -62.0, -97.0, 42.0, 97.0
    _frame(lv, x0, z0, x1, z1)
    lv.floor('ground', 'grass', x0, z0, x1, z1)
    lv.floor('street', 'tiles', -8.0, z0, 4.0, z1, top=0.05, depth=1.05)
    lv.floor('yard', 'sand', 16.0, z0, x1, z1, top=0.03, depth=1.03)
    # east houses: brick, 10-12 high, with alleys between them
    east = [(62.0, 97.0, 10.0), (30.0, 56.0, 11.0), (-4.0, 20.0, 10.0), (-56.0, -22.0, 12.0), (-97.0, -62.0, 10.0)]
    for za, zb, h in east:
        lv.block('houses_east', 'brick', (4.0, 0.0, za), (16.0, h, zb))
        lv.block('roofs_east', 'roof', (3.6, h, za - 0.4), (16.4, h + 0.5, zb + 0.4))
    # west houses: low stone cottages with the same openings
    for za, zb in ((62.0, 97.0), (30.0, 56.0), (-4.0, 20.0), (-56.0, -22.0), (-97.0, -62.0)):
        lv.block('houses_west', 'stone', (-20.0, 0.0, za), (-8.0, 4.5, zb))
        lv.block('roofs_west', 'roof', (-20.4, 4.5, za - 0.4), (-7.6, 5.0, zb + 0.4))
    # a gate across the street behind the start
    lv.block('towngate', 'stone', (-8.0, 0.0, 95.0), (4.0, 8.0, 97.0))
    # the square with a fountain and a duck
    _fountain(lv, -13.0, -13.0)
    # milk right after the widest sunny gap, in the shade of the next house
    lv.powerup('MILK', 1, 0.0, 0.05, -29.0)
    # the park: trees for shade islands, an umbrella for the curious
    for x, z in ((-30.0, 70.0), (-45.0, 50.0), (-32.0, 30.0), (-50.0, 10.0), (-35.0, -40.0), (-48.0, -70.0)):
        lv.tree(x, z)
    lv.powerup('UMBRELLA', 2, -42.0, 0.0, -14.0)
    _fountain(lv, -40.0, 80.0, radius=4.0)
    # crates in the back yard to try pushing
    for i, (x, z) in enumerate(((22.0, 24.0), (23.2, 24.0), (22.6, 25.4))):
        lv.crate(x, 0.03, z, mass=2.0)
    lv.crate(22.6, 1.03, 24.6, mass=2.0)
    lv.big_crate(30.0, 0.03, 26.0, mass=8.0)
    _end_gate(lv, -8.0, 4.0, -80.0, floor=0.05, next_level='level2.dae')
    return lv


LEVELS = [(1, level1)]


# ================================================================ level 2
def level2():
    """Switchbacks: three long lanes between tall walls, the sun low in the
    south. Only the strip along each lane's south wall is shaded, so the way
    lies on the south side of every lane. A collapsed stretch of wall needs
    the umbrella (or a long dash); a big crate can be shoved into a doorway;
    milk waits in the last lane; the end stands in a park of trees."""
    lv = Level(2, 'Switchbacks')
    lv.sun(190.0, 40.0)
    x0, z0, x1, z1 = -82.0, -92.0, 82.0, 86.0
    _frame(lv, x0, z0, x1, z1)
    lv.floor('ground', 'sand', x0, z0, x1, z1)
    lv.start(72.0, 0.2, 76.0)
    H = 12.0
    # outer south wall with three doorways (sunny spots on the way)
    south = [(-82.0, -40.0), (-32.0, 0.0), (10.0, 40.0), (46.0, 82.0)]
    for a, b in south:
        lv.wall_x('walls_south', 'brick', a, b, 83.0, H, thick=2.0)
    # dividers between the lanes; openings alternate west / east / west
    lv.wall_x('divider_1', 'brick', -62.0, 82.0, 48.0, H, thick=2.0)
    # the collapsed part of divider 2: only rubble between x = -20 and 30
    lv.wall_x('divider_2', 'stone', -82.0, -20.0, 12.0, H, thick=2.0)
    lv.wall_x('divider_2', 'stone', 30.0, 62.0, 12.0, H, thick=2.0)
    lv.wall_x('rubble', 'stone', -20.0, 30.0, 12.0, 1.6, thick=2.0)
    lv.wall_x('divider_3', 'brick', -62.0, 82.0, -24.0, H, thick=2.0)
    # lane 1 (z 49..82): a big crate beside the widest doorway
    lv.big_crate(-6.0, 0.0, 78.0, size=(4.0, 4.6, 2.4), mass=10.0)
    for x in (-70.0, -50.0):
        lv.crate(x, 0.0, 58.0, mass=2.0)
    # lane 2 (z 13..47)
    lv.barrel(40.0, 0.0, 20.0)
    lv.barrel(41.5, 0.0, 21.0)
    # lane 3 (z -23..11): its south wall has collapsed between x = 30 and -20;
    # the umbrella waits just before that stretch
    lv.powerup('UMBRELLA', 1, 44.0, 0.0, 6.0)
    for i in range(3):
        lv.crate(-40.0 + 1.2 * i, 0.0, -15.0, mass=2.0)
    lv.crate(-38.8, 1.0, -15.0, mass=2.0)
    # the park (z -92..-25): trees as shade islands towards the end
    lv.floor('park', 'grass', -82.0, -92.0, 82.0, -25.0, top=0.03, depth=1.03)
    for x, z in ((-70.0, -34.0), (-60.0, -42.0), (-50.0, -50.0), (-40.0, -58.0), (-28.0, -64.0), (-16.0, -70.0),
                 (-4.0, -74.0), (8.0, -78.0), (20.0, -70.0), (45.0, -45.0), (60.0, -60.0)):
        lv.tree(x, z, trunk=5.0, crown=4.5)
    _fountain(lv, 40.0, -75.0, radius=4.0)
    # milk in the shade of the last lane's wall, before the walk through the park
    lv.powerup('MILK', 2, -60.0, 0.03, -28.0)
    _end_gate(lv, 26.0, 36.0, -84.0, floor=0.03, next_level='level3.dae')
    return lv


LEVELS.append((2, level2))


# ================================================================ level 3
def _canal(lv, x0, x1, z_mid, width, bridges):
    """A bottomless canal across the level from x0 to x1; bridges are (xa, xb, railed).
    Water sits 1.5 below the street; touching it kills, and so does the fall."""
    za, zb = z_mid - width / 2, z_mid + width / 2
    lv.block('canalwalls', 'stone', (x0, -6.0, za - 0.6), (x1, 0.0, za), faces='xXz')
    lv.block('canalwalls', 'stone', (x0, -6.0, zb), (x1, 0.0, zb + 0.6), faces='xXZ')
    lv.noclip('water', Mesh().add(_water(x0, x1, za, zb, -1.5)))
    k = lv.unique('canal')
    lv.kill_volume((x0, -3.0, za), (x1, -1.3, zb))
    for xa, xb, railed in bridges:
        # The deck stands a little above the street: level with it, the walking figure
        # catches on the rims of the canal walls and the street's edge under the deck.
        lv.block('bridges', 'wood', (xa, -0.4, za - 0.6), (xb, 0.1, zb + 0.6))
        if railed:
            lv.clip_box((xa - 0.3, 0.1, za - 0.6), (xa, 2.5, zb + 0.6), 'rail')
            lv.clip_box((xb, 0.1, za - 0.6), (xb + 0.3, 2.5, zb + 0.6), 'rail')
    return k


def _water(x0, x1, z0, z1, y):
    from collada_mesh import box
    return box('water', (x0, y - 0.05, z0), (x1, y, z1), faces='Y')


def level3():
    """Canal Quarter: the sun stands low in the west, so the shade lies east of
    every wall. Four lanes run north and south; a canal crosses them all and
    only narrow bridges lead over it (one has invisible rails). Where the way
    heads west into the sun, big crates can be pushed ahead as moving shade."""
    lv = Level(3, 'Canal Quarter')
    lv.sun(270.0, 38.0)
    x0, z0, x1, z1 = -86.0, -72.0, 86.0, 72.0
    _frame(lv, x0, z0, x1, z1)
    # the ground in two halves either side of the canal (z -2..2)
    lv.floor('ground', 'tiles', x0, z0, x1, -2.6)
    lv.floor('ground', 'tiles', x0, 2.6, x1, z1)
    H = 13.0
    # lane walls (north-south); openings alternate north / south
    lv.wall_z('walls_west', 'stone', z0, z1, -85.0, H, thick=2.0)
    lv.wall_z('lanewall_1', 'brick', -56.0, z1, -42.0, H, thick=2.0)     # opening in the north
    lv.wall_z('lanewall_2', 'brick', z0, 56.0, 0.0, H, thick=2.0)        # opening in the south
    lv.wall_z('lanewall_3', 'brick', -56.0, z1, 42.0, H, thick=2.0)      # opening in the north
    _canal(lv, x0, x1, 0.0, 4.0, [(48.0, 52.0, False), (6.0, 10.0, False), (-36.0, -32.0, True), (-78.0, -74.0, False)])
    lv.start(76.0, 0.2, 64.0)
    # lane 4 (x 43..85): crates by the west wall
    lv.crate(46.0, 0.0, 30.0)
    lv.crate(46.0, 0.0, 31.2)
    # the way west from lane 4 into lane 3 across the north opening: push the crate ahead
    lv.big_crate(36.0, 0.0, -64.0, size=(2.4, 4.6, 4.4), mass=10.0)
    lv.powerup('UMBRELLA', 1, 30.0, 0.0, -50.0)
    # lane 2 (x -41..-1): milk after the railed bridge
    lv.powerup('MILK', 2, -36.0, 0.0, -20.0)
    lv.big_crate(-6.0, 0.0, 62.0, size=(2.4, 4.6, 4.4), mass=10.0)
    # ducks on the canal
    lv.duck(-20.0, -1.85, 0.0, size=1.2, yaw=80.0)
    lv.duck(-17.5, -1.85, 0.6, size=0.8, yaw=100.0)
    lv.duck(64.0, -1.85, -0.4, size=1.0, yaw=250.0)
    # parasols in the widest sunny crossings
    lv.parasol(-60.0, -62.0, radius=3.5, height=5.0)
    lv.parasol(-70.0, 40.0, radius=3.5, height=5.0)
    _end_gate(lv, -84.0, -76.0, 60.0, next_level='level4.dae')
    return lv


LEVELS.append((3, level3))


# ================================================================ level 4
def level4():
    """The Docks: piers over deep water, the sun low in the north-east. Tall
    containers along the piers throw long shadows to the south-west; gaps
    between them are sunny and a plank has no rail on one side. Falling off
    the piers ends in the kill volume below."""
    lv = Level(4, 'The Docks')
    lv.sun(30.0, 32.0)
    lv.kill_volume((-400.0, -60.0, -400.0), (400.0, -40.0, 400.0))
    lv.kill_volume((-120.0, -4.0, -120.0), (120.0, -2.5, 120.0))
    lv.noclip('sea', Mesh().add(_water(-120.0, 120.0, -120.0, 120.0, -2.6)))
    # pier A: north from the start (x 58..70, z -30..86)
    lv.floor('pierA', 'wood', 58.0, -30.0, 70.0, 86.0, depth=2.0)
    # pier B: west (x -70..70, z -30..-20), a plank between x -12 and 12
    lv.floor('pierB', 'wood', 12.0, -30.0, 58.0, -20.0, depth=2.0)
    lv.floor('pierB', 'wood', -70.0, -30.0, -12.0, -20.0, depth=2.0)
    lv.floor('plank', 'wood', -12.0, -23.0, 12.0, -20.0, depth=0.5)
    lv.clip_box((-12.0, 0.0, -20.0), (12.0, 2.5, -19.6), 'rail')
    # pier C: north (x -70..-58, z -80..-30), then pier D back east to the end
    lv.floor('pierC', 'wood', -70.0, -80.0, -58.0, -30.0, depth=2.0)
    lv.floor('pierD', 'wood', -70.0, -92.0, 46.0, -80.0, depth=2.0)
    lv.start(64.0, 0.2, 80.0)
    # containers: metal, 6 high, along the east edge of the north-south piers and
    # the north edge of pier B
    for za, zb in ((62.0, 76.0), (40.0, 56.0), (14.0, 32.0), (-16.0, 6.0)):
        lv.block('containers', 'metal', (66.0, 0.0, za), (70.0, 6.5, zb))
    for xa, xb in ((30.0, 54.0), (-36.0, -18.0), (-58.0, -42.0)):
        lv.block('containers', 'metal', (xa, 0.0, -24.0), (xb, 6.5, -20.0))
    for za, zb in ((-60.0, -36.0), (-78.0, -66.0)):
        lv.block('containers', 'metal', (-62.0, 0.0, za), (-58.0, 6.5, zb))
    for xa, xb in ((-56.0, -36.0), (-28.0, -6.0), (2.0, 22.0)):
        lv.block('containers', 'metal', (xa, 0.0, -92.0), (xb, 6.5, -88.0))
    # bollards and crates
    for z in (70.0, 48.0, 24.0, 0.0):
        lv.pillar('bollards', 'metal', 59.0, z, 0.3, 0.8)
    lv.crate(60.0, 0.0, 10.0)
    lv.crate(60.0, 0.0, 11.2)
    lv.crate(60.0, 1.0, 10.6)
    lv.big_crate(61.5, 0.0, 36.0, size=(2.4, 4.6, 4.0), mass=10.0)
    lv.big_crate(20.0, 0.0, -22.2, size=(4.0, 4.6, 2.4), mass=10.0)
    lv.barrel(-50.0, 0.0, -28.0)
    # power-ups: milk before the plank, umbrella at the start of pier C
    lv.powerup('MILK', 1, 24.0, 0.0, -27.0)
    lv.powerup('UMBRELLA', 2, -64.0, 0.0, -34.0)
    lv.duck(30.0, -2.9, -40.0, size=1.5, yaw=200.0)
    lv.crate(-20.0, 0.0, -82.0)
    lv.crate(-20.0, 0.0, -83.2)
    _end_gate_z(lv, -92.0, -80.0, 40.0, next_level='level5.dae')
    return lv


LEVELS.append((4, level4))


# ================================================================ level 5
def level5():
    """Sun Fortress: the last level. The sun is low in the south-east and
    throws long shadows to the north-west. Climb a ramp onto the rampart,
    cross the moat on a bridge without rails, push crates and count your
    milk. The end trigger names no next level: the game is won."""
    lv = Level(5, 'Sun Fortress')
    lv.sun(135.0, 30.0)
    x0, z0, x1, z1 = -88.0, -88.0, 88.0, 88.0
    _frame(lv, x0, z0, x1, z1)
    lv.floor('ground', 'sand', x0, 8.0, x1, z1)
    lv.floor('ground', 'sand', x0, z0, x1, 2.0)
    _canal(lv, x0, x1, 5.0, 6.0, [(70.0, 73.0, False), (-30.0, -27.0, False)])
    lv.start(70.0, 0.2, 80.0)
    H = 11.0
    # south yard (z 8..88): the outer south wall and a divider with an opening in the west
    lv.wall_x('walls_outer', 'stone', x0, x1, 87.0, 14.0, thick=2.0)
    lv.wall_x('divider_1', 'brick', -62.0, x1, 46.0, H, thick=2.0)
    # lane 1 (z 47..86) goes west; lane 2 (z 8..45) goes east along a raised rampart
    # the ramps cover the rampart's ends, so neither has a face there: buried faces meeting
    # at the top would catch the walking figure
    lv.block('rampart', 'stone', (-40.0, 0.0, 30.0), (50.0, 3.0, 44.0), faces='yYzZ')
    lv.ramp('rampart_ramp', 'stone', -52.0, -40.0, 30.0, 44.0, 0.0, 3.0, rises_to='+x', back=False)
    lv.ramp('rampart_ramp', 'stone', 50.0, 62.0, 30.0, 44.0, 0.0, 3.0, rises_to='-x', back=False)
    # battlements on the rampart's south side give shade up there
    for x in range(-40, 50, 9):
        lv.block('battlements', 'brick', (x, 3.0, 43.0), (x + 6.0, 9.0, 44.0))
    lv.crate(10.0, 3.0, 33.0)
    lv.crate(11.2, 3.0, 33.0)
    # north fortress (z -88..2): lane 3 goes west from the east bridge, lane 4 back east to the keep
    lv.wall_x('divider_2', 'brick', -88.0, 62.0, -40.0, H, thick=2.0)
    lv.big_crate(40.0, 0.0, -8.0, size=(4.0, 4.6, 2.4), mass=12.0)
    lv.big_crate(-10.0, 0.0, -30.0, size=(2.4, 4.6, 4.0), mass=12.0)
    lv.powerup('MILK', 1, 60.0, 0.0, 20.0)
    lv.powerup('UMBRELLA', 2, -40.0, 0.0, -10.0)
    lv.powerup('MILK', 3, -70.0, 0.0, -55.0)
    for x, z in ((0.0, -4.0), (-20.0, -14.0), (20.0, -16.0)):
        lv.tree(x, z, trunk=6.0, crown=4.5)
    lv.parasol(-50.0, -60.0)
    lv.parasol(-20.0, -70.0)
    lv.parasol(10.0, -62.0)
    # the keep
    lv.block('keep', 'stone', (58.0, 0.0, -86.0), (86.0, 16.0, -66.0))
    lv.block('keep_roof', 'roof', (57.5, 16.0, -86.5), (86.5, 17.0, -65.5))
    _fountain(lv, 30.0, -70.0, radius=4.0)
    _end_gate(lv, 60.0, 70.0, -62.0)
    return lv


LEVELS.append((5, level5))
