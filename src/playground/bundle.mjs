// The one way the build bundles a page script: esbuild, from the build's pinned node_modules,
// into one minified script for the browsers a school has (Chrome/Firefox 90, Safari 15 on).
// Used by build.mjs (the playground) and src/step/build.mjs (the step view).
import path from 'node:path';
import { createRequire } from 'node:module';

export async function bundle(entry, modules, extra = {}) {
  const esbuild = createRequire(path.join(modules, 'package.json'))('esbuild');
  return esbuild.build({
    entryPoints: [entry],
    bundle: true,
    minify: true,
    format: 'iife',
    target: ['chrome90', 'firefox90', 'safari15'],
    charset: 'utf8',
    legalComments: 'none',
    nodePaths: [modules],
    write: false,
    logLevel: 'warning',
    ...extra,
  });
}
