#!/usr/bin/python3
"""The gallery page in headless Chromium.

  galleryBrowserTest.py SAMPLE_GALLERY HOSTILE_GALLERY SCREENSHOT_FOLDER

SAMPLE_GALLERY is the Gallery.html of the sample package's run,
HOSTILE_GALLERY that of make_gallery_packages' hostile.rsb. Prints one line
per check and exits 1 when one fails. Screenshots of both pages and of the
viewer go to SCREENSHOT_FOLDER.
"""

import os
import sys
import time
from pathlib import Path

from selenium.common.exceptions import NoAlertPresentException
from selenium.webdriver.common.by import By
from selenium.webdriver.common.keys import Keys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from galleryBrowser import start_browser  # noqa: E402

# The names of make_gallery_packages' hostile.rsb, as bytes.
HOSTILE_NAMES = [
    b"<img src=x onerror=alert(1)>",
    b"</script><script>alert(2)</script>",
    b"q\"uote's & 100% #hash ?query=1",
    b"back\\slash and sp ace",
    b"ctl\x01\x1fbyte",
    b"bad\xff\xfeutf8",
    b"<!--<svg onload=alert(3)>",
    b"a\xe2\x80\xa8line\xe2\x80\xa9sep",
]

failures = []


def check(condition, what):
    print(("ok   " if condition else "FAIL ") + what)
    if not condition:
        failures.append(what)


def shown(name):
    """A name as the page shows it: control characters and bytes that are not
    UTF-8 as \\xNN, everything else as it is."""
    out = []
    at = 0
    while at < len(name):
        for length in (1, 2, 3, 4):
            try:
                character = name[at:at + length].decode("utf-8")
                break
            except UnicodeDecodeError:
                character = None
        if character is None:
            out.append("\\x%02X" % name[at])
            at += 1
            continue
        point = ord(character)
        if point < 0x20 or point == 0x7F or 0x80 <= point < 0xA0:
            out.extend("\\x%02X" % byte for byte in name[at:at + length])
        else:
            out.append(character)
        at += length
    return "".join(out)


def console_errors(driver):
    return [entry for entry in driver.get_log("browser") if entry["level"] in ("SEVERE", "ERROR")]


def load_every_image(driver):
    """Lazy images load when near the view: ask for all of them and wait."""
    driver.execute_script("document.querySelectorAll('.card img').forEach(function (i) { i.loading = 'eager'; });")
    deadline = time.time() + 30
    while time.time() < deadline:
        if driver.execute_script(
                "return Array.prototype.every.call(document.querySelectorAll('.card img'),"
                " function (i) { return i.complete; });"):
            break
        time.sleep(0.2)
    return driver.execute_script(
        "return Array.prototype.map.call(document.querySelectorAll('.card img'),"
        " function (i) { return [i.closest('.card').querySelector('.path').textContent, i.naturalWidth]; });")


def no_dialog(driver):
    try:
        driver.switch_to.alert
        return False
    except NoAlertPresentException:
        return True


def open_page(driver, path):
    # Counts what the hostile names would call if a script of theirs ran;
    # injected before the page's own script, past its policy.
    driver.execute_cdp_cmd("Page.addScriptToEvaluateOnNewDocument", {"source": """
        window.__calls = [];
        ['alert', 'confirm', 'prompt'].forEach(function (name) {
            window[name] = function (message) { window.__calls.push(name + ':' + message); };
        });"""})
    driver.get(Path(path).resolve().as_uri())
    driver.execute_script("return document.readyState")


def test_sample(driver, page, shots):
    open_page(driver, page)
    output = Path(page).parent / "OutPut"
    written = sorted(p.resolve().as_uri() for p in output.rglob("*.png"))
    cards = driver.find_elements(By.CSS_SELECTOR, ".card")
    links = driver.find_elements(By.CSS_SELECTOR, "a.card")
    hrefs = sorted(set(link.get_attribute("href") for link in links))
    check(hrefs == written, f"the viewable cards link every PNG written ({len(hrefs)} of {len(written)})")
    summary = driver.find_element(By.CSS_SELECTOR, ".summary").text
    check(summary.startswith(f"{len(cards)} atlases:"), f"one card per atlas ({len(cards)}; {summary})")
    images = load_every_image(driver)
    check(len(images) == len(links) and all(width > 0 for _, width in images),
          f"every thumbnail loaded ({sum(1 for _, w in images if w > 0)} of {len(images)})")
    driver.save_screenshot(str(shots / "sample-gallery.png"))

    paths = [card.find_element(By.CSS_SELECTOR, ".path").text for card in cards]
    box = driver.find_element(By.ID, "filter")
    for query in ("WORLD", "rings_", "/ui", "nothing-matches"):
        box.clear()
        box.send_keys(query)
        visible = [card.find_element(By.CSS_SELECTOR, ".path").text for card in cards if card.is_displayed()]
        wanted = [p for p in paths if query.lower() in p.lower()]
        count = driver.find_element(By.ID, "count").text
        check(visible == wanted and count == f"{len(wanted)} / {len(cards)}",
              f"filter {query!r} shows the {len(wanted)} matching cards ({count})")
    box.clear()
    box.send_keys("x", Keys.BACKSPACE)
    check(all(card.is_displayed() for card in cards), "an empty filter shows every card")

    links[0].click()
    viewer = driver.find_element(By.ID, "viewer")
    image = driver.find_element(By.ID, "viewer-image")
    name = driver.find_element(By.ID, "viewer-name")
    time.sleep(0.3)
    check(viewer.is_displayed() and name.text == paths[0], "a click opens the viewer on its atlas")
    check(driver.execute_script("return arguments[0].complete && arguments[0].naturalWidth > 0", image),
          "the viewer shows the full PNG")
    natural = driver.execute_script("return arguments[0].naturalWidth", image)
    for zoom, factor in (("1", 1), ("2", 2), ("4", 4)):
        driver.find_element(By.CSS_SELECTOR, f"[data-zoom='{zoom}']").click()
        width = driver.execute_script("return arguments[0].getBoundingClientRect().width", image)
        rendering = driver.execute_script("return getComputedStyle(arguments[0]).imageRendering", image)
        check(abs(width - natural * factor) < 0.5 and (rendering == "pixelated") == (factor > 1),
              f"zoom {zoom}: {width} px wide, {rendering}")
    driver.find_element(By.CSS_SELECTOR, "[data-background='black']").click()
    check("black" in driver.find_element(By.ID, "viewer-stage").get_attribute("class"), "black background")
    driver.find_element(By.CSS_SELECTOR, "[data-zoom='fit']").click()
    driver.save_screenshot(str(shots / "sample-viewer.png"))
    body = driver.find_element(By.TAG_NAME, "body")
    body.send_keys(Keys.ARROW_RIGHT)
    check(name.text == paths[1], f"the right arrow steps to the next atlas ({name.text})")
    body.send_keys(Keys.ARROW_LEFT)
    body.send_keys(Keys.ARROW_LEFT)
    viewable = [card.find_element(By.CSS_SELECTOR, ".path").text for card in links]
    check(name.text == viewable[-1], f"the left arrow steps back, past the first to the last ({name.text})")
    body.send_keys(Keys.ESCAPE)
    check(not viewer.is_displayed(), "Esc closes the viewer")
    errors = console_errors(driver)
    check(not errors, f"no console errors {errors}")


def test_hostile(driver, page, shots):
    open_page(driver, page)
    check(no_dialog(driver), "no dialog opens")
    images = load_every_image(driver)
    check(len(images) == 2 * len(HOSTILE_NAMES) and all(width > 0 for _, width in images),
          f"every image loads ({sum(1 for _, w in images if w > 0)} of {len(images)}): "
          + ", ".join(p for p, w in images if w == 0))
    paths = driver.execute_script(
        "return Array.prototype.map.call(document.querySelectorAll('.card .path'), function (e) { return e.textContent; });")
    subgroups = driver.execute_script(
        "return Array.prototype.map.call(document.querySelectorAll('.subgroup-name'), function (e) { return e.textContent; });")
    for k, name in enumerate(HOSTILE_NAMES):
        check(shown(name) in paths, f"the atlas name {shown(name)!r} shows as text")
        folder_name = shown(b"dir " + name + b"/" + str(k).encode())
        check(folder_name in paths, f"the atlas path {folder_name!r} shows as text")
        subgroup = shown(name + b" " + str(k).encode())
        check(subgroup in subgroups, f"the subgroup name {subgroup!r} shows as text")
    group = driver.find_element(By.CSS_SELECTOR, ".group-name").text
    check(group == '<b>group</b> & "friends"', f"the group name shows as text ({group})")
    driver.save_screenshot(str(shots / "hostile-gallery.png"))
    # Each atlas opens in the viewer and its full PNG loads.
    links = driver.find_elements(By.CSS_SELECTOR, "a.card")
    loaded = 0
    links[0].click()
    body = driver.find_element(By.TAG_NAME, "body")
    for _ in links:
        deadline = time.time() + 10
        while time.time() < deadline and not driver.execute_script(
                "var i = document.getElementById('viewer-image'); return i.complete && i.naturalWidth > 0;"):
            time.sleep(0.05)
        loaded += driver.execute_script("return document.getElementById('viewer-image').naturalWidth > 0 ? 1 : 0;")
        body.send_keys(Keys.ARROW_RIGHT)
    body.send_keys(Keys.ESCAPE)
    check(loaded == len(links), f"every full PNG loads in the viewer ({loaded} of {len(links)})")
    calls = driver.execute_script("return window.__calls;")
    check(calls == [] and no_dialog(driver), f"no script of the names ran ({calls})")
    check(driver.execute_script("return document.querySelectorAll('svg, script:not([type]), [onerror], [onload]').length") == 1,
          "the only script element is the page's own, no injected element")
    errors = console_errors(driver)
    check(not errors, f"no console errors {errors}")


def main():
    if len(sys.argv) != 4:
        print(__doc__)
        return 2
    sample, hostile, shots = sys.argv[1], sys.argv[2], Path(sys.argv[3])
    shots.mkdir(parents=True, exist_ok=True)
    driver, _ = start_browser()
    try:
        test_sample(driver, sample, shots)
        test_hostile(driver, hostile, shots)
    finally:
        driver.quit()
    print(f"screenshots in {shots}")
    if failures:
        print(f"{len(failures)} check(s) failed")
        return 1
    print("every gallery check passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
