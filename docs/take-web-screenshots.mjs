// The README's pictures of the browser edition: the 2 x 2 example through the residual step,
// at a laptop's 1280 x 800 and a phone's 390 x 844.
//   node docs/take-web-screenshots.mjs build-web/site docs
import { join } from 'node:path';
import { launch, serve } from '../tests/web/browser.mjs';
import { open, play } from '../tests/web/tomokari_web_script.mjs';

const [site, output] = process.argv.slice(2);
const server = await serve(site);
const browser = await launch();
for (const [width, height] of [[1280, 800], [390, 844]]) {
    const { page } = await open(browser, server.url);
    await page.setViewportSize({ width, height });
    await play(page, 'type Text12 2\ntype Text13 2\nclick Command1\ntype mat1(0) 30\ntype mat1(1) 10\n'
        + 'type mat1(5) 10\ntype mat1(6) 30\nclick Command7\nclick Command5\nclick Command3\n');
    await page.screenshot({ path: join(output, `web-${width}x${height}.png`) });
    await page.context().close();
}
await browser.close();
await server.close();
