"""The script pipeline the light-curve run is compared with: every frame
loaded with astropy, its background modelled and subtracted with sep, and
circular apertures summed on the given positions.

    python3 measure_script.py FILELIST POSITIONS RADIUS

FILELIST holds one frame path a line, POSITIONS one "x y" (0-based pixel
centres) a line. Prints "seconds S" for the loop over the frames (imports and
reading the lists excluded), or "skipped: ..." when a module is missing.
"""
import sys
import time

try:
    import numpy as np
    import sep
    from astropy.io import fits
except ImportError:
    print("skipped: install python3-astropy python3-sep")
    sys.exit(0)


def main():
    files = [line.strip() for line in open(sys.argv[1]) if line.strip()]
    xy = np.loadtxt(sys.argv[2], ndmin=2)
    radius = float(sys.argv[3])
    total = 0.0
    start = time.perf_counter()
    for name in files:
        data = fits.getdata(name).astype(np.float32)
        background = sep.Background(data)
        background.subfrom(data)
        flux, _, _ = sep.sum_circle(data, xy[:, 0], xy[:, 1], radius,
                                    err=background.globalrms)
        total += float(flux.sum())
    seconds = time.perf_counter() - start
    if not np.isfinite(total):
        print("(unexpected fluxes)")
    print(f"seconds {seconds:.6f}")


main()
