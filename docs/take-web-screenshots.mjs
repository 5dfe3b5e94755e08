// The README's pictures of the browser edition: the 2 x 2 example on a laptop (1280 x 800), on a
// phone (390 x 844, touch) at start-up, after the totals step, the residuals after the residual
// step and the picture after the power step, and the page as it prints.
//   node docs/take-web-screenshots.mjs build-web/site docs
import { join } from 'node:path';
import { launch, serve, typicalRun } from '../tests/web/browser.mjs';
import { open, play } from '../tests/web/tomokari_web_script.mjs';

const [site, output] = process.argv.slice(2);
const SHOTS = [
    // file, device, what the student has done, printed, the window scrolled to
    ['web-1280x800.png', 'laptop', typicalRun()],
    ['web-phone-start.png', 'phone', ''],
    ['web-phone-totals.png', 'phone', typicalRun('click Command5')],
    ['web-phone-residuals.png', 'phone', typicalRun('click Command8'), false, 'Form1'],
    ['web-phone-figure.png', 'phone', typicalRun()],
    ['web-print.png', 'laptop', typicalRun(), true],
];
const server = await serve(site);
const browser = await launch();
for (const [file, device, script, printed, window] of SHOTS) {
    const { page } = await open(browser, server.url, device, { reducedMotion: 'reduce' });
    await play(page, script, device === 'phone');
    await page.evaluate(() => document.activeElement?.blur());
    if (window) await page.locator(`section.panel[data-window="${window}"]`).evaluate((node) => node.scrollIntoView());
    if (printed) {
        await page.setViewportSize({ width: 794, height: 1123 });  // A4 at 96 dpi
        await page.emulateMedia({ media: 'print' });
        await page.evaluate(() => dispatchEvent(new Event('beforeprint')));
    }
    await page.screenshot({ path: join(output, file), fullPage: Boolean(printed) });
    await page.context().close();
}
await browser.close();
await server.close();
