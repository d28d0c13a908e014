// The generated site map pages in headless Chromium: the expandable tree's
// scripts, the navigation list, the index page's letter bar, and that every
// page of the seven output types shows with all its pictures and without a
// script error. Served over http://127.0.0.1 (Chromium keeps no cookies for
// file:// pages), and the script tree opened from file:// too, as users open
// site maps from disk.
//
// SITE_DIR is the folder the engine generated the site into; SCREENSHOT_DIR
// receives a screenshot per page.
import { after, before, test } from 'node:test';
import assert from 'node:assert/strict';
import { spawnSync } from 'node:child_process';
import { once } from 'node:events';
import { mkdir, mkdtemp, readFile, rm } from 'node:fs/promises';
import { createServer } from 'node:http';
import { createRequire } from 'node:module';
import { tmpdir } from 'node:os';
import path from 'node:path';
import { pathToFileURL } from 'node:url';
import { chromium } from 'playwright-core';

const siteDir = process.env.SITE_DIR;
const screenshotDir = process.env.SCREENSHOT_DIR;
assert.ok(siteDir && screenshotDir, 'SITE_DIR and SCREENSHOT_DIR must be set');

// One page per output type, and the two pages of the shipped extra schemes.
const pages = ['ul_list.htm', 'paged.htm', 'icon_tree.htm', 'script_tree.htm', 'nav_combo.htm',
               'index_page.htm', 'level_table.htm', 'green_tree.htm', 'round_index.htm'];

let server, baseUrl, userDataDir, context;

// Serves the files of folder on a port the kernel picks.
async function startServer(folder) {
  const types = { '.htm': 'text/html', '.js': 'text/javascript', '.gif': 'image/gif' };
  const server = createServer((request, response) => {
    const file = path.join(folder, decodeURIComponent(new URL(request.url, 'http://x').pathname));
    readFile(file).then((body) => {
      response.writeHead(200, { 'Content-Type': types[path.extname(file)] ?? 'text/plain' });
      response.end(body);
    }, () => response.writeHead(404).end());
  });
  server.listen(0, '127.0.0.1');
  await once(server, 'listening');
  return server;
}

before(async () => {
  server = await startServer(siteDir);
  baseUrl = `http://127.0.0.1:${server.address().port}/`;
  await mkdir(screenshotDir, { recursive: true });
  userDataDir = await mkdtemp(path.join(tmpdir(), 'vellum-chromium-'));
  const args = ['--disable-gpu', '--disable-background-networking', '--disable-component-update',
                '--disable-sync', '--no-first-run', '--disable-quic'];
  if (process.getuid && process.getuid() === 0) args.push('--no-sandbox');
  context = await chromium.launchPersistentContext(userDataDir, {
    executablePath: '/usr/bin/chromium',
    headless: true,
    args,
    viewport: { width: 800, height: 600 },
  });
  context.setDefaultTimeout(15000);
});

after(async () => {
  if (context) await context.close();
  if (userDataDir) await rm(userDataDir, { recursive: true, force: true });
  if (server) server.close();
});

// A new tab on url that records every script error, failed load and error
// message of the console (every page names a data: icon, so none is asked
// for), with init run before the page's scripts.
async function open(url, init) {
  const page = await context.newPage();
  if (init) await page.addInitScript(init);
  page.errors = [];
  page.on('pageerror', (error) => page.errors.push(`script error: ${error.message}`));
  page.on('console', (message) => {
    if (message.type() === 'error') page.errors.push(`console: ${message.text()}`);
  });
  page.on('requestfailed', (request) => page.errors.push(`failed: ${request.url()}`));
  page.on('response', (response) => {
    if (response.status() >= 400) page.errors.push(`${response.status()}: ${response.url()}`);
  });
  await page.goto(url, { waitUntil: 'load' });
  return page;
}

async function expectWholePage(page) {
  const broken = await page.evaluate(() => Array.from(document.images)
    .filter((image) => !image.complete || image.naturalWidth === 0)
    .map((image) => image.getAttribute('src')));
  assert.deepEqual(broken, [], 'pictures that did not load');
  assert.deepEqual(page.errors, []);
}

// The DIVs of a script tree in page order, each as its text and whether it
// shows: "+" shown, "-" hidden. The empty markers are left out, and the long
// root group of the remaining leaves is cut to its first name.
async function treeState(page) {
  return page.evaluate(() => Array.from(document.querySelectorAll('div[id]'))
    .filter((div) => div.id !== 'TP' && div.textContent.trim() !== '')
    .map((div) => (getComputedStyle(div).display === 'none' ? '-' : '+') +
                  div.textContent.trim().replace(/\s+/g, ' ').replace(/^(_Drafts).*/, '$1...')));
}

// The script tree as the site's outline gives it: the branches Products,
// About and Archive at the top; Tools and Team are both the first branch of
// their list, Garden and Contact both follow one, so their ids repeat.
const closed = ['+Home', '+Products', '-Tools', '-Hammers Saws', '-Garden', '+About', '-Team',
                '-Ann Bob', '-Contact', '+Archive', '-2019 2020', '+_Drafts...'];
const expanded = closed.map((div) => `+${div.slice(1)}`);
// About open, and Team below it.
const aboutOpen = closed.map((div) => (['-Team', '-Contact'].includes(div) ? `+${div.slice(1)}` : div));
const teamOpen = aboutOpen.map((div) => (div === '-Ann Bob' ? '+Ann Bob' : div));

async function toggle(page, name, nth = 0) {
  await page.locator(`img[name="${name}"]`).nth(nth).click();
}

async function picture(page, name, nth = 0) {
  return page.locator(`img[name="${name}"]`).nth(nth).getAttribute('src');
}

test('every output type shows whole, with its pictures and without errors', async () => {
  for (const name of pages) {
    const page = await open(baseUrl + name);
    await expectWholePage(page);
    await page.screenshot({ path: path.join(screenshotDir, name.replace('.htm', '.png')),
                            fullPage: true });
    await page.close();
  }
});

test('names and addresses from hostile pages run no script in any layout', async () => {
  for (let type = 0; type <= 6; ++type) {
    const page = await open(`${baseUrl}hostile/map${type}.htm`);
    await page.waitForTimeout(100);  // a focus or a failed picture would have fired by now
    assert.equal(await page.evaluate(() => window.pwned), undefined, `map${type}.htm`);
    assert.ok((await page.content()).includes('&lt;img src=x'), `map${type}.htm names the page`);
    await page.close();
  }
});

test('the script tree starts closed, opens and closes per branch, and remembers', async () => {
  const page = await open(`${baseUrl}script_tree.htm`);
  assert.deepEqual(await treeState(page), closed);
  assert.match(await picture(page, 'MI0SXE2ZSXP'), /^img\/iicon3\.gif$/);

  await toggle(page, 'MI0SXE2ZSXP');  // About
  assert.deepEqual(await treeState(page), aboutOpen);
  assert.match(await picture(page, 'MI0SXE2ZSXP'), /iicon4\.gif$/);
  assert.match(await picture(page, 'NI0SXE2ZSXP'), /iicon1\.gif$/);

  // Team's toggle has the same name as Tools': the one clicked opens.
  await toggle(page, 'MI1SXE0ZSXP', 1);
  assert.deepEqual(await treeState(page), teamOpen);
  assert.match(await picture(page, 'MI1SXE0ZSXP', 0), /iicon3\.gif$/);
  assert.match(await picture(page, 'MI1SXE0ZSXP', 1), /iicon4\.gif$/);

  await page.reload({ waitUntil: 'load' });
  assert.deepEqual(await treeState(page), teamOpen);
  assert.match(await picture(page, 'MI1SXE0ZSXP', 1), /iicon4\.gif$/);
  const cookies = await context.cookies(baseUrl);
  assert.ok(cookies.some((cookie) => cookie.name.startsWith('SXTree')), 'no state cookie');

  // Closing About hides Team's children too, and they come back with it.
  await toggle(page, 'MI0SXE2ZSXP');
  assert.deepEqual(await treeState(page), closed);
  await toggle(page, 'MI0SXE2ZSXP');
  assert.deepEqual(await treeState(page), teamOpen);

  await page.getByText('Expand all').click();
  assert.deepEqual(await treeState(page), expanded);
  assert.match(await picture(page, 'MI0SXE1ZSXP'), /iicon4\.gif$/);
  await page.screenshot({ path: path.join(screenshotDir, 'script_tree_expanded.png'),
                          fullPage: true });
  await page.getByText('Collapse all').click();
  assert.deepEqual(await treeState(page), closed);
  assert.match(await picture(page, 'MI0SXE1ZSXP'), /iicon3\.gif$/);
  await page.reload({ waitUntil: 'load' });
  assert.deepEqual(await treeState(page), closed);
  assert.deepEqual(page.errors, []);
  await page.close();
});

test('a script tree of another scheme swaps that scheme\'s toggle', async () => {
  const page = await open(`${baseUrl}green_tree.htm`);
  assert.deepEqual(await treeState(page), closed);
  await toggle(page, 'MI0SXE1ZSXP');
  assert.match(await picture(page, 'MI0SXE1ZSXP'), /^img\/green4\.gif$/);
  assert.equal((await treeState(page))[2], '+Tools');
  await expectWholePage(page);
  await page.close();
});

test('the navigation list goes to the chosen page', async () => {
  const page = await open(`${baseUrl}nav_combo.htm`);
  await Promise.all([page.waitForURL('**/team.htm'),
                     page.selectOption('select[name="NavList"]', 'team.htm')]);
  assert.equal(await page.locator('h1').textContent(), 'Team');
  assert.deepEqual(page.errors, []);
  await page.close();
});

test('the paged list links to a page per branch with a trail back', async () => {
  const page = await open(`${baseUrl}paged.htm`);
  await Promise.all([page.waitForURL(/paged\d+\.htm$/), page.getByText('About').click()]);
  assert.match(await page.locator('body').textContent(), /Top\s*\/\s*About/);
  await Promise.all([page.waitForURL('**/paged.htm'), page.getByText('Top').click()]);
  assert.deepEqual(page.errors, []);
  await page.close();
});

test('the letter bar of the index page jumps to its group', async () => {
  const page = await open(`${baseUrl}index_page.htm`);
  for (const letter of ['W', 'Other', 'C']) {
    await page.locator(`a[href="#${letter}"]`).first().click();
    await page.waitForFunction((hash) => location.hash === hash, `#${letter}`);
    const place = await page.locator(`a[name="${letter}"]`).evaluate((anchor) => ({
      top: anchor.getBoundingClientRect().top,
      height: window.innerHeight,
      scrolled: window.scrollY,
    }));
    assert.ok(place.top >= 0 && place.top < place.height, `${letter} not in view: ${place.top}`);
    if (letter !== 'C') assert.ok(place.scrolled > 0, `${letter}: the page did not move`);
  }
  assert.deepEqual(page.errors, []);
  await page.close();
});

test('a script tree opened from disk shows, expands and keeps its state', async () => {
  const page = await open(pathToFileURL(path.join(siteDir, 'script_tree.htm')).href);
  await expectWholePage(page);
  assert.deepEqual(await treeState(page), closed);
  await toggle(page, 'MI0SXE1ZSXP');  // Products
  assert.equal((await treeState(page))[2], '+Tools');
  await page.reload({ waitUntil: 'load' });
  assert.equal((await treeState(page))[2], '+Tools', 'the state did not survive a reload');
  await page.getByText('Expand all').click();
  assert.deepEqual(await treeState(page), expanded);
  assert.deepEqual(page.errors, []);
  await page.close();
});

// Internet Explorer 4's object model, as far as the page and tree4.js use
// it: no documentElement (so the page picks tree4.js), document.all and
// element.all with tags() giving collections that can be called and indexed.
// Chromium's own named access to elements by id (SXR__0) stays as IE4 had it.
function emulateInternetExplorer4() {
  const collection = (elements) => {
    const call = (index) => elements[index];
    for (let i = 0; i < elements.length; i++) call[i] = elements[i];
    Object.defineProperty(call, 'length', { value: elements.length });
    return call;
  };
  const all = (root) => ({ tags: (name) => collection(root.getElementsByTagName(name)) });
  Object.defineProperty(document, 'documentElement', { get: () => null });
  Object.defineProperty(document, 'all', { get: () => all(document) });
  Object.defineProperty(Element.prototype, 'all', { get() { return all(this); } });
}

test('tree4.js opens and closes the tree in a browser without a DOM', async () => {
  await context.clearCookies();
  const page = await open(`${baseUrl}script_tree.htm`, emulateInternetExplorer4);
  assert.equal(await page.evaluate(() => typeof sxItems), 'object', 'tree4.js did not run');
  assert.deepEqual(await treeState(page), closed);

  await toggle(page, 'MI0SXE2ZSXP');  // About
  await toggle(page, 'MI1SXE0ZSXP', 1);  // Team, whose name Tools shares
  assert.deepEqual(await treeState(page), teamOpen);
  assert.match(await picture(page, 'MI0SXE2ZSXP'), /iicon4\.gif$/);
  await page.reload({ waitUntil: 'load' });
  assert.deepEqual(await treeState(page), teamOpen);

  await page.getByText('Expand all').click();
  assert.deepEqual(await treeState(page), expanded);
  await page.getByText('Collapse all').click();
  assert.deepEqual(await treeState(page), closed);
  assert.deepEqual(page.errors, []);
  await page.close();
});

// ---------------------------------------------------------------------------
// HTML5 markup: every layout of the same tree, of a hostile site and of the
// example site (in no colours of its own, so in the reader's scheme).

const html5Pages = [
  ...['ul_list', 'paged', 'paged2', 'icon_tree', 'script_tree', 'nav_combo', 'index_page',
      'level_table', 'green_tree', 'round_index'].map((name) => `html5/${name}.htm`),
  ...[0, 1, 2, 3, 4, 5, 6].flatMap((type) => [`html5/hostile/map${type}.htm`,
                                              `html5/example/map${type}.htm`]),
];

test('HTML5 markup: the Nu Html Checker finds no error in any layout', async () => {
  // One run over every page: the checker's start-up takes seconds.
  const jar = path.join(import.meta.dirname, 'node_modules/vnu-jar/build/dist/vnu.jar');
  const files = html5Pages.map((name) => path.join(siteDir, name));
  const checked = spawnSync('java', ['-jar', jar, '--errors-only', ...files], { encoding: 'utf8' });
  assert.equal(checked.error, undefined);
  assert.equal(checked.stderr + checked.stdout, '');
  assert.equal(checked.status, 0);
});

test('HTML5 markup: axe-core finds no WCAG 2.1 AA violation in any layout, wide or narrow',
     async () => {
  const axe = createRequire(import.meta.url).resolve('axe-core');
  for (const name of html5Pages) {
    const page = await open(baseUrl + name);
    await page.addScriptTag({ path: axe });
    await expectWholePage(page);
    // Colours without a scheme of the page's own are checked in both.
    const schemes = name.includes('/example/') ? ['light', 'dark'] : ['light'];
    for (const [width, scheme] of [375, 1280].flatMap((w) => schemes.map((s) => [w, s]))) {
      await page.emulateMedia({ colorScheme: scheme });
      await page.setViewportSize({ width, height: 800 });
      // Nothing wider than the screen but the level table's own scrolling box.
      const wide = await page.evaluate(() => document.documentElement.scrollWidth);
      assert.ok(wide <= width, `${name} is ${wide} px wide at ${width} px`);
      if (width === 375) {
        const results = await page.evaluate(
          () => axe.run({ runOnly: ['wcag2a', 'wcag2aa', 'wcag21a', 'wcag21aa'] }));
        const violations = results.violations.map(
          (v) => `${v.id}: ${v.nodes.map((node) => node.target.join(' ')).join(', ')}`);
        assert.deepEqual(violations, [], `${name}, ${scheme}`);
      }
      const shot = `${name.replaceAll('/', '_').replace('.htm', '')}_${width}_${scheme}.png`;
      await page.screenshot({ path: path.join(screenshotDir, shot), fullPage: true });
    }
    await page.close();
  }
});

test('HTML5 markup: every entry of every layout shows without script', async () => {
  const browser = await chromium.launch({
    executablePath: '/usr/bin/chromium',
    args: process.getuid && process.getuid() === 0 ? ['--no-sandbox'] : [],
  });
  const noScript = await browser.newContext({ javaScriptEnabled: false });
  for (const name of html5Pages) {
    const page = await noScript.newPage();
    await page.goto(baseUrl + name);
    const links = page.locator('nav a[href]');
    const hidden = [];
    for (const link of await links.all()) {
      if (!(await link.isVisible())) hidden.push(await link.getAttribute('href'));
    }
    assert.deepEqual(hidden, [], name);
    assert.ok(await links.count() > 0, `${name} shows no link`);
    await page.close();
  }
  await browser.close();
});

test('HTML5 markup: the script tree is walked and opened with the keyboard', async () => {
  const page = await open(`${baseUrl}html5/script_tree.htm`);
  const tree = page.getByRole('tree', { name: 'Site Map' });
  // Tab passes the two buttons, then lands on the tree's one tab stop.
  for (let i = 0; i < 3; ++i) await page.keyboard.press('Tab');
  // Per key: the entry that has the focus then, and the branches open.
  const steps = [
    ['(start)', 'Home', []],
    ['ArrowDown', 'Products', []],
    ['ArrowRight', 'Products', ['Products']],
    ['ArrowRight', 'Tools', ['Products']],
    ['ArrowRight', 'Tools', ['Products', 'Tools']],
    ['ArrowDown', 'Hammers', ['Products', 'Tools']],
    ['ArrowLeft', 'Tools', ['Products', 'Tools']],
    ['ArrowLeft', 'Tools', ['Products']],
    ['ArrowDown', 'Garden', ['Products']],
    ['ArrowLeft', 'Products', ['Products']],
    ['ArrowLeft', 'Products', []],
    ['ArrowDown', 'About', []],
    ['End', 'Z-page', []],
    ['ArrowUp', 'Y-page', []],
    ['Home', 'Home', []],
    ['ArrowUp', 'Home', []],
  ];
  for (const [key, focused, open] of steps) {
    if (key !== '(start)') await page.keyboard.press(key);
    const state = await page.evaluate(() => ({
      focused: document.activeElement.textContent.trim(),
      role: document.activeElement.getAttribute('role'),
      tabStops: document.querySelectorAll('[role=treeitem][tabindex="0"]').length,
      open: Array.from(document.querySelectorAll('[aria-expanded=true]'),
                       (item) => item.textContent.trim()),
    }));
    assert.deepEqual(state, { focused, role: 'treeitem', tabStops: 1, open }, `after ${key}`);
  }
  assert.equal(await tree.getByRole('treeitem').first().textContent(), 'Home');
  // Down to Products, and Enter follows its link.
  await page.keyboard.press('ArrowDown');
  await Promise.all([page.waitForURL('**/products.htm'), page.keyboard.press('Enter')]);
  assert.deepEqual(page.errors, []);
  await page.close();
});

test('HTML5 markup: the drop-down list is labelled and goes to the page chosen by keyboard',
     async () => {
  const page = await open(`${baseUrl}html5/nav_combo.htm`);
  const list = page.getByLabel('Navigate');
  await list.focus();
  await list.selectOption('team.htm');
  await page.keyboard.press('Tab');
  await Promise.all([page.waitForURL('**/team.htm'), page.keyboard.press('Enter')]);
  assert.deepEqual(page.errors, []);
  await page.close();
});
