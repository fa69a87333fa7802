// Plays the web page in a headless browser as a visitor would, for the browser test:
//   node drive.mjs <chromium|firefox> <page-url> <out-dir>
// Writes screenshots of the demo and the saver to <out-dir>, and result.txt with what the page
// said and did. Exits non-zero only when the browser could not be driven.
import fs from 'node:fs';
import path from 'node:path';
import puppeteer from 'puppeteer-core';

const [browserName, url, outDir] = process.argv.slice(2);
if (!['chromium', 'firefox'].includes(browserName) || !url || !outDir) {
  console.error('usage: node drive.mjs <chromium|firefox> <page-url> <out-dir>');
  process.exit(2);
}

const launchOptions = {
  chromium: {
    browser: 'chrome',
    executablePath: '/usr/bin/chromium',
    // This machine's network is closed: without these Chromium's own calls home are refused
    // over and over.
    args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
      '--disable-background-networking', '--disable-component-update', '--disable-sync'],
  },
  firefox: {
    browser: 'firefox',
    executablePath: '/usr/bin/firefox-esr',
    // Puppeteer's profile sends the rest of Firefox's calls home nowhere.
    extraPrefsFirefox: {
      'network.captive-portal-service.enabled': false,
      'network.connectivity-service.enabled': false,
    },
  },
}[browserName];

const sleep = (ms) => new Promise((done) => setTimeout(done, ms));
const errors = [];
let browser;

// A browser that hangs must not hang the test: the test gives up on the driver well after this.
const watchdog = setTimeout(() => {
  console.error('the browser did not finish within 100 s');
  browser?.process()?.kill('SIGKILL');
  process.exit(3);
}, 100000);

async function openPage(hash) {
  const page = await browser.newPage();
  page.on('pageerror', (error) => errors.push(`page error: ${error.message ?? error}`));
  page.on('console', (message) => {
    if (message.type() === 'error') errors.push(`console error: ${message.text()}`);
  });
  await page.goto(url + hash, { waitUntil: 'load' });
  return page;
}

async function shoot(page, name) {
  await page.screenshot({ path: path.join(outDir, name) });
}

try {
  fs.mkdirSync(outDir, { recursive: true });
  browser = await puppeteer.launch({
    ...launchOptions,
    // Each in a fresh profile of Puppeteer's making.
    headless: true,
    defaultViewport: { width: 1280, height: 720 },
  });
  const version = await browser.version();

  // Between its cues the scene may show only the basils' idle loops, whose pictures come round
  // again in 0.7 s, so two shots half a second apart can match on a busy machine. From 11 s on
  // the basil on the ledge walks and the rain falls, and every frame differs: the shots are taken
  // then, with a second to spare for a slow start.
  const demo = await openPage('');
  await sleep(12000);
  await shoot(demo, 'shown.png');
  await sleep(500);
  await shoot(demo, 'later.png');
  await demo.keyboard.press('Escape');
  await sleep(300);
  await shoot(demo, 'ended-1.png');
  await sleep(500);
  await shoot(demo, 'ended-2.png');
  const again = await demo.evaluate(() => {
    const button = document.querySelector('#again');
    return !!button && getComputedStyle(button).visibility === 'visible' &&
      button.getClientRects().length > 0;
  });
  await demo.close();

  const saver = await openPage('#saver');
  await sleep(12000);
  for (let step = 0; step <= 8; ++step)
    await saver.mouse.move(100 + step * 135, 80 + step * 70);
  await saver.keyboard.press('Escape');
  await sleep(300);
  await shoot(saver, 'saver-1.png');
  await sleep(500);
  await shoot(saver, 'saver-2.png');
  const framesPerSecond = await saver.evaluate(() => new Promise((done) => {
    let frames = 0;
    const start = performance.now();
    const count = (now) => {
      if (now - start >= 1000) done((frames * 1000) / (now - start));
      else { ++frames; requestAnimationFrame(count); }
    };
    requestAnimationFrame(count);
  }));

  const lines = [
    `browser ${version}`,
    `errors ${errors.length}`,
    ...errors.map((text) => `error ${text.replace(/\s+/g, ' ')}`),
    `again-visible ${again ? 1 : 0}`,
    `frames-per-second ${framesPerSecond.toFixed(1)}`,
  ];
  fs.writeFileSync(path.join(outDir, 'result.txt'), lines.join('\n') + '\n');
} catch (error) {
  console.error(error);
  process.exitCode = 1;
} finally {
  clearTimeout(watchdog);
  await Promise.race([browser?.close(), sleep(10000)]).catch(() => {});
  browser?.process()?.kill('SIGKILL');
}
