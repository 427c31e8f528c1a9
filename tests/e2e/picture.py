# Reads pixels of a window screenshot (an X window dump) for the end-to-end scripts.
"""Usage, with commands, coordinates from the top-left corner, rectangles as X0 Y0 X1 Y1 inclusive:
  picture.py pixel FILE X Y                     prints "r g b"
  picture.py count FILE R G B [X0 Y0 X1 Y1]     prints how many pixels are exactly R G B
"""

import subprocess
import sys


def load(path):
    """Returns (width, height, rgb bytes) of an image, through ImageMagick's PPM output."""
    data = subprocess.run(["convert", path, "-depth", "8", "ppm:-"], check=True,
                          stdout=subprocess.PIPE).stdout
    fields = []
    pos = 0
    while len(fields) < 4:
        while data[pos:pos + 1].isspace():
            pos += 1
        if data[pos:pos + 1] == b"#":
            pos = data.index(b"\n", pos)
            continue
        end = pos
        while not data[end:end + 1].isspace():
            end += 1
        fields.append(data[pos:end])
        pos = end
    if fields[0] != b"P6" or int(fields[3]) != 255:
        raise SystemExit("picture.py: unexpected image format from convert")
    width, height = int(fields[1]), int(fields[2])
    return width, height, data[pos + 1:pos + 1 + 3 * width * height]


def clip(width, height, x0, y0, x1, y1):
    return max(0, x0), max(0, y0), min(width - 1, x1), min(height - 1, y1)


def pixel(image, x, y):
    width, height, rgb = image
    if not (0 <= x < width and 0 <= y < height):
        raise SystemExit(f"picture.py: pixel {x},{y} outside the {width}x{height} picture")
    i = 3 * (y * width + x)
    return rgb[i], rgb[i + 1], rgb[i + 2]


def count(image, colour, x0, y0, x1, y1):
    width, height, rgb = image
    x0, y0, x1, y1 = clip(width, height, x0, y0, x1, y1)
    wanted = bytes(colour)
    total = 0
    for y in range(y0, y1 + 1):
        row = rgb[3 * (y * width + x0):3 * (y * width + x1 + 1)]
        total += sum(1 for i in range(0, len(row), 3) if row[i:i + 3] == wanted)
    return total


def main(argv):
    if len(argv) < 3:
        raise SystemExit(__doc__)
    command, image = argv[1], load(argv[2])
    numbers = [int(a) for a in argv[3:]]
    if command == "pixel" and len(numbers) == 2:
        print(*pixel(image, *numbers))
    elif command == "count" and len(numbers) in (3, 7):
        box = numbers[3:] if len(numbers) == 7 else [0, 0, image[0] - 1, image[1] - 1]
        print(count(image, numbers[:3], *box))
    else:
        raise SystemExit(__doc__)


if __name__ == "__main__":
    main(sys.argv)
