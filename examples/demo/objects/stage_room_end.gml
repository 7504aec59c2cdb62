d3d_end();
