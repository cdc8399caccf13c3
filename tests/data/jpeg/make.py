"""Makes the JPEG test pictures and what libjpeg decodes from them at 1/1,
1/2, 1/4 and 1/8 of their size (djpeg -scale, with the plain replicating
upsampling the decoder under test uses). Run with Pillow and
libjpeg-turbo-progs (cjpeg, djpeg) installed; the outputs are committed:

    /usr/bin/python3 tests/data/jpeg/make.py
"""

import os
import subprocess
import tempfile

from PIL import Image, ImageDraw

HERE = os.path.dirname(os.path.abspath(__file__))
WIDTH, HEIGHT = 67, 45  # not a multiple of any block: the edges count

# name: cjpeg's options
CASES = {
    "yuv420": ["-quality", "90", "-sample", "2x2"],
    "yuv444": ["-quality", "90", "-sample", "1x1"],
    "yuv422-restarts": ["-quality", "85", "-sample", "2x1", "-restart", "2B"],
    "grey": ["-quality", "90", "-grayscale"],
    "rgb": ["-quality", "90", "-rgb"],
    "progressive": ["-quality", "90", "-progressive"],
}


def source():
    """A smooth picture with an edge: gradients and a disc."""
    picture = Image.new("RGB", (WIDTH, HEIGHT))
    picture.putdata([(x * 255 // WIDTH, y * 255 // HEIGHT, 255 - (x + y) * 255 // (WIDTH + HEIGHT))
                     for y in range(HEIGHT) for x in range(WIDTH)])
    ImageDraw.Draw(picture).ellipse((20, 8, 50, 38), fill=(250, 230, 40))
    return picture


def main():
    with tempfile.TemporaryDirectory() as work:
        original = os.path.join(work, "source.ppm")
        source().save(original)
        for name, options in CASES.items():
            jpeg = os.path.join(HERE, f"{name}.jpg")
            with open(jpeg, "wb") as out:
                subprocess.run(["cjpeg", *options, original], stdout=out, check=True)
            if name == "progressive":
                continue
            for reduction in (1, 2, 4, 8):
                ppm = os.path.join(HERE, f"{name}.r{reduction}.ppm")
                with open(ppm, "wb") as out:
                    subprocess.run(["djpeg", "-scale", f"1/{reduction}", "-nosmooth", "-dct", "float", "-pnm", jpeg],
                                   stdout=out, check=True)


if __name__ == "__main__":
    main()
