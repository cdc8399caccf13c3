"""Makes the JPEG test pictures and what libjpeg decodes from them at 1/1,
1/2, 1/4 and 1/8 of their size (djpeg -scale, with the plain replicating
upsampling the decoder under test uses), and the seeds of the decoder's fuzz
target: the same kinds of file, 13 x 9 pixels, so that every run is short.
Run with Pillow and libjpeg-turbo-progs (cjpeg, djpeg) installed; the
outputs are committed:

    /usr/bin/python3 tests/data/jpeg/make.py
"""

import os
import subprocess
import tempfile

from PIL import Image, ImageDraw

HERE = os.path.dirname(os.path.abspath(__file__))
SEEDS = os.path.join(HERE, "..", "..", "..", "fuzz", "corpus", "fuzz_jpeg")
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


def source(width=WIDTH, height=HEIGHT):
    """A smooth picture with an edge: gradients and a disc."""
    picture = Image.new("RGB", (width, height))
    picture.putdata([(x * 255 // width, y * 255 // height, 255 - (x + y) * 255 // (width + height))
                     for y in range(height) for x in range(width)])
    ImageDraw.Draw(picture).ellipse((width * 20 // 67, height * 8 // 45, width * 50 // 67, height * 38 // 45),
                                    fill=(250, 230, 40))
    return picture


def main():
    with tempfile.TemporaryDirectory() as work:
        original = os.path.join(work, "source.ppm")
        source().save(original)
        small = os.path.join(work, "small.ppm")
        source(13, 9).save(small)
        for name, options in CASES.items():
            # A seed: the reduction 1/2 and pieces of 32 bytes, then the file.
            with open(os.path.join(SEEDS, name), "wb") as out:
                out.write(bytes([1, 31]))
                out.write(subprocess.run(["cjpeg", *options, small], capture_output=True, check=True).stdout)
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
