// Launches Debian's browsers (chromium over CDP, firefox-esr over WebDriver BiDi) headless through puppeteer-core,
// with downloads going to a given folder without asking and sound allowed to start without a click.
import fs from 'node:fs';
import puppeteer from 'puppeteer-core';

export const BROWSERS = {
    chromium: {product: 'chrome', executable: '/usr/bin/chromium'},
    firefox: {product: 'firefox', executable: '/usr/bin/firefox-esr'},
};

// name: 'chromium' or 'firefox'; downloads: a folder.
export async function launch(name, downloads) {
    const kind = BROWSERS[name];
    if (!kind) throw new Error(`unknown browser ${name} (chromium or firefox)`);
    if (!fs.existsSync(kind.executable)) throw new Error(`${kind.executable} is not installed`);
    const args = [];
    if (name === 'chromium') {
        if (process.getuid && process.getuid() === 0) args.push('--no-sandbox');
        args.push('--autoplay-policy=no-user-gesture-required');
    }
    const browser = await puppeteer.launch({
        browser: kind.product, executablePath: kind.executable, headless: true, args,
        extraPrefsFirefox: {
            'media.autoplay.default': 0,
            'media.autoplay.block-webaudio': false,
            'browser.download.folderList': 2,
            'browser.download.dir': downloads,
            'browser.download.useDownloadDir': true,
            'browser.download.always_ask_before_handling_new_types': false,
            'browser.download.start_downloads_in_tmp_dir': false,
            'browser.helperApps.neverAsk.saveToDisk': 'video/x-msvideo',
        },
    });
    if (name === 'chromium') {
        const session = await browser.target().createCDPSession();
        await session.send('Browser.setDownloadBehavior', {behavior: 'allow', downloadPath: downloads});
    }
    return browser;
}

// The browser's version line, for reports.
export async function versionOf(browser) {
    return browser.version();
}
