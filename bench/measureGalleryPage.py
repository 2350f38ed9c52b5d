#!/usr/bin/python3
"""Opens a Gallery.html in headless Chromium and prints what it costs:

  measureGalleryPage.py GALLERY_HTML [--rounds N]

the page's size, its time to first paint and first contentful paint, the
time to the load event, the images fetched before any scrolling, the time
one filter keystroke takes, the JavaScript heap and the proportional set
size (PSS) of all the browser's processes, before and after scrolling
through the whole page. Each round uses a fresh browser profile.
"""

import os
import statistics
import sys
import time
from pathlib import Path

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "gallery"))
from galleryBrowser import start_browser  # noqa: E402


def browser_pss_kib(profile):
    """The PSS of every process started with this profile (the browser, its
    renderers, GPU and utility processes)."""
    total = 0
    for pid in os.listdir("/proc"):
        if not pid.isdigit():
            continue
        try:
            cmdline = Path(f"/proc/{pid}/cmdline").read_bytes()
            if profile.encode() not in cmdline:
                continue
            for line in Path(f"/proc/{pid}/smaps_rollup").read_text().splitlines():
                if line.startswith("Pss:"):
                    total += int(line.split()[1])
        except OSError:
            continue
    return total


def one_round(page):
    driver, profile = start_browser()
    try:
        driver.get("about:blank")
        time.sleep(1.0)
        pss_blank = browser_pss_kib(profile)
        start = time.time()
        driver.get(Path(page).resolve().as_uri())
        wall = time.time() - start
        time.sleep(1.0)
        timing = driver.execute_script("""
            var paint = {};
            performance.getEntriesByType('paint').forEach(function (e) { paint[e.name] = e.startTime; });
            var nav = performance.getEntriesByType('navigation')[0];
            var images = Array.prototype.filter.call(document.images, function (i) {
                return i.complete && i.naturalWidth > 0; }).length;
            return {fp: paint['first-paint'], fcp: paint['first-contentful-paint'],
                    dcl: nav.domContentLoadedEventEnd, load: nav.loadEventEnd, images: images,
                    cards: document.querySelectorAll('.card').length,
                    heap: performance.memory ? performance.memory.usedJSHeapSize : 0};""")
        filter_ms = driver.execute_script("""
            var box = document.getElementById('filter');
            var t0 = performance.now();
            box.value = 'atlas_1';
            box.dispatchEvent(new Event('input'));
            document.body.offsetHeight;
            var t = performance.now() - t0;
            box.value = '';
            box.dispatchEvent(new Event('input'));
            return t;""")
        pss_before = browser_pss_kib(profile)
        # Scroll through the page so that every lazy image loads.
        height = driver.execute_script("return document.body.scrollHeight")
        for y in range(0, height, 800):
            driver.execute_script(f"window.scrollTo(0, {y})")
            time.sleep(0.02)
        count_loaded = ("return Array.prototype.filter.call(document.images,"
                        " function (i) { return i.complete && i.naturalWidth > 0; }).length")
        deadline = time.time() + 30
        while time.time() < deadline and driver.execute_script(count_loaded) < timing["cards"]:
            time.sleep(0.5)
        loaded = driver.execute_script(count_loaded)
        pss_after = browser_pss_kib(profile)
        heap_after = driver.execute_script("return performance.memory ? performance.memory.usedJSHeapSize : 0")
        return dict(timing, wall=wall, filter=filter_ms, pss_blank=pss_blank, pss_before=pss_before,
                    pss_after=pss_after,
                    loaded=loaded, heap_after=heap_after)
    finally:
        driver.quit()


def main():
    if len(sys.argv) not in (2, 4):
        print(__doc__)
        return 2
    page = sys.argv[1]
    rounds = int(sys.argv[3]) if len(sys.argv) == 4 else 3
    print(f"page: {page}, {os.path.getsize(page)} bytes; load {open('/proc/loadavg').read().split()[:3]}")
    results = []
    for r in range(rounds):
        result = one_round(page)
        results.append(result)
        print(f"  round {r + 1}: first paint {result['fp']:.0f} ms, first contentful paint {result['fcp']:.0f} ms, "
              f"DOMContentLoaded {result['dcl']:.0f} ms, load {result['load']:.0f} ms; {result['cards']} cards, "
              f"{result['images']} images loaded before scrolling, {result['loaded']} after; "
              f"filter keystroke {result['filter']:.0f} ms; JS heap {result['heap'] / 1048576:.1f} MiB "
              f"({result['heap_after'] / 1048576:.1f} after scrolling); browser PSS {result['pss_blank'] / 1024:.0f} MiB "
              f"on about:blank, {result['pss_before'] / 1024:.0f} MiB "
              f"({result['pss_after'] / 1024:.0f} after scrolling)")

    def med(key):
        return statistics.median(r[key] for r in results)
    print(f"median: first contentful paint {med('fcp'):.0f} ms, load {med('load'):.0f} ms, "
          f"filter keystroke {med('filter'):.0f} ms, browser PSS {med('pss_blank') / 1024:.0f} MiB on about:blank, "
          f"{med('pss_before') / 1024:.0f} MiB on the page before "
          f"and {med('pss_after') / 1024:.0f} MiB after scrolling through every image; "
          f"load {open('/proc/loadavg').read().split()[:3]}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
