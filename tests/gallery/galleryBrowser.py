"""Headless Chromium, driven by Selenium, for the gallery's browser tests."""

import shutil
import tempfile

from selenium import webdriver
from selenium.webdriver.chrome.service import Service


def chromium_binary():
    for name in ("chromium", "chromium-browser", "google-chrome"):
        path = shutil.which(name)
        if path:
            return path
    raise RuntimeError("no chromium found: scripts/install-deps installs it")


def start_browser(width=1400, height=1000):
    """A fresh headless browser with nothing reaching the network on its own."""
    profile = tempfile.mkdtemp(prefix="gallery-profile-")
    options = webdriver.ChromeOptions()
    options.binary_location = chromium_binary()
    for flag in ("--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
                 "--disable-background-networking", "--disable-component-update", "--disable-sync",
                 "--disable-dev-shm-usage", "--user-data-dir=" + profile, f"--window-size={width},{height}"):
        options.add_argument(flag)
    options.set_capability("goog:loggingPrefs", {"browser": "ALL"})
    driver_path = shutil.which("chromedriver") or "/usr/bin/chromedriver"
    driver = webdriver.Chrome(service=Service(driver_path), options=options)
    return driver, profile
